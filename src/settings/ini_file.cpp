#include "settings/ini_file.h"

#include "core/atomic_write.h"
#include "core/cp932.h"
#include "core/regular_file.h"

namespace tw {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView line)
{
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

bool namesEqual(QByteArrayView raw, QStringView name)
{
    return cp932::decode(trimmed(raw)).compare(name, Qt::CaseInsensitive) == 0;
}

// The name between the brackets of a section line; false for any other line.
bool sectionName(QByteArrayView line, QByteArrayView& name)
{
    line = trimmed(line);
    if (!line.startsWith('['))
        return false;
    line = line.sliced(1);
    const qsizetype close = line.indexOf(']');
    name = close < 0 ? line : line.first(close);
    return true;
}

// Offset of the "=" of a key line; -1 for comments and lines without one.
qsizetype equalsSign(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t.front() == ';')
        return -1;
    return line.indexOf('=');
}

// Longest prefix of at most limit bytes that ends on a character boundary.
qsizetype fittingPrefix(QByteArrayView bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes.size();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype next = pos + cp932::skipChars(bytes.sliced(pos), 1);
        if (next > limit)
            break;
        pos = next;
    }
    return pos;
}

QByteArray encodeLineSafe(QStringView value)
{
    QByteArray bytes = cp932::encode(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

} // namespace

IniDocument::LoadResult IniDocument::load(const QString& path)
{
    m_lines.clear();
    // A pipe or a device in the settings file's place is unreadable, not a wait for a writer.
    QByteArray bytes;
    switch (readRegularFile(path, &bytes)) {
    case RegularFile::Status::Open:
        setBytes(bytes);
        return LoadResult::Loaded;
    case RegularFile::Status::Missing:
        return LoadResult::Missing;
    default:
        return LoadResult::Unreadable;
    }
}

void IniDocument::setBytes(QByteArrayView bytes)
{
    m_lines.clear();
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        m_lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        m_lines.append(bytes.sliced(start).toByteArray());
}

QByteArray IniDocument::bytes() const
{
    QByteArray out;
    qsizetype total = 0;
    for (const QByteArray& line : m_lines)
        total += line.size() + 2;
    out.reserve(total);
    for (const QByteArray& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool IniDocument::save(const QString& path) const
{
    return writeFileAtomically(path, bytes());
}

qsizetype IniDocument::findSection(QStringView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        QByteArrayView name;
        if (sectionName(m_lines[i], name) && namesEqual(name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::findKey(qsizetype sectionLine, QStringView key) const
{
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QByteArray& line = m_lines[i];
        QByteArrayView name;
        if (sectionName(line, name))
            break;
        const qsizetype eq = equalsSign(line);
        if (eq >= 0 && namesEqual(QByteArrayView(line).first(eq), key))
            return i;
    }
    return -1;
}

bool IniDocument::contains(QStringView section, QStringView key) const
{
    const qsizetype s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

QByteArrayView IniDocument::rawValue(QStringView section, QStringView key) const
{
    const qsizetype s = findSection(section);
    if (s < 0)
        return {};
    const qsizetype k = findKey(s, key);
    if (k < 0)
        return {};
    QByteArrayView raw = QByteArrayView(m_lines[k]).sliced(equalsSign(m_lines[k]) + 1);
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw = raw.first(nul);
    return raw;
}

QString IniDocument::value(QStringView section, QStringView key) const
{
    return cp932::decode(rawValue(section, key));
}

QString IniDocument::value(QStringView section, QStringView key, int size) const
{
    if (size <= 1)
        return {};
    const QByteArrayView raw = rawValue(section, key);
    return cp932::decode(raw.first(fittingPrefix(raw, size - 1)));
}

void IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const QByteArray line = cp932::encode(key) + '=' + encodeLineSafe(value);
    const qsizetype s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !trimmed(m_lines.back()).isEmpty())
            m_lines.append(QByteArray());
        m_lines.append('[' + cp932::encode(section) + ']');
        m_lines.append(line);
        return;
    }
    if (const qsizetype k = findKey(s, key); k >= 0) {
        m_lines[k] = line;
        return;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    qsizetype insertAt = s + 1;
    for (qsizetype i = s + 1; i < m_lines.size(); ++i) {
        QByteArrayView name;
        if (sectionName(m_lines[i], name))
            break;
        if (!trimmed(m_lines[i]).isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}

QString readIniValue(const QString& section, const QString& key, int size, const QString& path)
{
    IniDocument doc;
    if (doc.load(path) != IniDocument::LoadResult::Loaded)
        return {};
    return doc.value(section, key, size);
}

bool writeIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& path)
{
    IniDocument doc;
    if (doc.load(path) == IniDocument::LoadResult::Unreadable)
        return false;
    doc.setValue(section, key, value);
    return doc.save(path);
}

} // namespace tw
