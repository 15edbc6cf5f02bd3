#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace tw {

// An INI file kept as its raw CP932 lines, so that lines we do not change (comments, unknown keys,
// undecodable bytes) are written back byte for byte. Section and key names compare
// case-insensitively; the first matching section and key win. Values are not trimmed, so a value
// reads back exactly as it was written.
class IniDocument {
public:
    enum class LoadResult { Loaded, Missing, Unreadable };

    // A missing file leaves the document empty; so does an unreadable one.
    LoadResult load(const QString& path);
    // Lines end at CR LF, CR or LF.
    void setBytes(QByteArrayView bytes);
    // Every line with CR LF after it.
    QByteArray bytes() const;
    // Replaces the file as a whole or leaves it untouched.
    bool save(const QString& path) const;

    bool contains(QStringView section, QStringView key) const;
    // Empty when the section or key is missing; a NUL byte ends the value.
    QString value(QStringView section, QStringView key) const;
    // As read into a buffer of size bytes: at most size - 1 bytes of the stored value, never half a
    // double-byte character.
    QString value(QStringView section, QStringView key, int size) const;
    // Creates the section or key when needed. CR and LF in the value become blanks, since the
    // value must stay on its line.
    void setValue(QStringView section, QStringView key, QStringView value);

private:
    qsizetype findSection(QStringView section) const;
    qsizetype findKey(qsizetype sectionLine, QStringView key) const;
    QByteArrayView rawValue(QStringView section, QStringView key) const;

    QList<QByteArray> m_lines;
};

// Empty for a missing file, section or key; keeps at most size - 1 bytes of the value.
QString readIniValue(const QString& section, const QString& key, int size, const QString& path);
// Creates the file, section or key as needed and keeps every other line. False when the file
// exists but cannot be read, or cannot be written.
bool writeIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& path);

} // namespace tw
