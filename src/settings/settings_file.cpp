#include "settings/settings_file.h"

#include "core/atomic_write.h"
#include "core/cp932.h"
#include "core/regular_file.h"
#include "settings/ini_file.h"
#include "settings/ini_numbers.h"
#include "settings/menu_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

const QString kPref = u"PREF"_s;
const QString kHistory = u"HISTORY"_s;
const QString kWindow = u"WINDOW"_s;
const QString kFilter = u"FILTER"_s;
// Saved filters beyond this many are not read: a hostile file cannot make the menu endless.

// Buffer sizes of the keys, in bytes (the value keeps one byte less).
constexpr int kStatusSize = 12;
constexpr int kShortNumberSize = 7;
constexpr int kFontNameSize = 64; // Linux family names are often longer than 15 bytes
constexpr int kShortTextSize = 64;
constexpr int kPathSize = 255;
constexpr int kLengthSize = 13;

constexpr std::array<double, 5> kColumnShares = {0.21, 0.20, 0.16, 0.19, 0.24};

// Each column its share of the inner width, or the width its typical content needs when that is
// more; the others give up what those take beyond their shares, in proportion to their shares
// and down to half of them.
std::array<double, 5> newFileColumnWidths(double inner, const std::array<double, 5>& needed)
{
    std::array<double, 5> widths{};
    double over = 0, flexibleShares = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = std::max(inner * kColumnShares[i], needed[i]);
        if (needed[i] > inner * kColumnShares[i])
            over += needed[i] - inner * kColumnShares[i];
        else
            flexibleShares += kColumnShares[i];
    }
    if (over <= 0 || flexibleShares <= 0)
        return widths;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const double share = inner * kColumnShares[i];
        if (needed[i] <= share)
            widths[i] = std::max(share - over * kColumnShares[i] / flexibleShares,
                                 std::max(needed[i], share / 2));
    }
    return widths;
}

QString indexed(QStringView stem, int index)
{
    return stem.toString() + QString::number(index);
}

qint32 wholeTwips(double value)
{
    const double whole = roundHalfEven(value);
    if (!(whole >= std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    if (whole > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    return qint32(whole);
}

// The version comment of the old format. Only comment lines before the first section count, so
// that a value such as a search-history entry cannot make a current file look old.
bool isOldFormat(QByteArrayView bytes)
{
    QString text = cp932::decode(bytes);
    text.replace(u"\r\n"_s, u"\r"_s);
    for (QStringView line : QStringView(text).split(u'\r')) {
        if (line.trimmed().startsWith(u'['))
            break;
        if (line.contains(u"1.") && line.contains(u"バージョン:"))
            return true;
    }
    return false;
}

bool readFile(const QString& path, QByteArray& bytes)
{
    return readRegularFile(path, &bytes) == RegularFile::Status::Open;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileAtomically(path, bytes);
}

} // namespace

ListFont listFontOf(const Settings& s)
{
    return {s.Font_Name,  s.Font_Size,  s.LstFontBld, s.LstFontItr,
            s.LstFontUnd, s.LstFontStr, s.Font_Color};
}

void setListFont(Settings& s, const ListFont& f)
{
    s.Font_Name = f.name;
    s.Font_Size = f.size;
    s.LstFontBld = f.bold;
    s.LstFontItr = f.italic;
    s.LstFontUnd = f.underline;
    s.LstFontStr = f.strikeout;
    s.Font_Color = f.color;
}

SettingsFile::SettingsFile(QString path, Settings& settings, MenuHistory& history,
                           SettingsHost& host, const Clock& clock, QString versionText)
    : m_path(std::move(path)), m_settings(settings), m_history(history), m_host(host),
      m_clock(clock), m_versionText(std::move(versionText))
{
}

QString SettingsFile::backupPath() const
{
    return QFileInfo(m_path).dir().filePath(u"TALLYWVR.OLD"_s);
}

bool SettingsFile::load()
{
    m_migrated = false;
    QByteArray bytes;
    if (!QFileInfo::exists(m_path) || !readFile(m_path, bytes))
        return false;
    if (isOldFormat(bytes)) {
        m_migrated = migrate();
        return false;
    }
    IniDocument doc;
    doc.setBytes(bytes);
    Settings& s = m_settings;

    const std::optional<qint32> status = toInt32(doc.value(kPref, u"StatusValues", kStatusSize));
    if (!status)
        return false;
    s.BrowserPath = doc.value(kPref, u"BrowserPath", kPathSize);
    s.InitDir = doc.value(kPref, u"InitDir", kPathSize);

    const auto readNumber = [&](QStringView key, int size, bool wide, auto& field) {
        const QString text = doc.value(kPref, key, size);
        const std::optional<qint32> value = wide ? toInt32(text) : toInt16(text);
        if (value)
            field = *value;
        return value.has_value();
    };
    if (!readNumber(u"ALogMax", kShortNumberSize, false, s.ALogMax) ||
        !readNumber(u"Font_Color", kStatusSize, true, s.Font_Color) ||
        !readNumber(u"Font_Size", kShortNumberSize, false, s.Font_Size))
        return false;
    s.Font_Name = doc.value(kPref, u"Font_Name", kFontNameSize);

    for (int i = 0; i < int(s.Pratform.size()); ++i)
        s.Pratform[i] = doc.value(kPref, indexed(u"Pratform", i), kShortTextSize);
    for (int i = 0; i < int(s.SearchHistory.size()); ++i)
        s.SearchHistory[i] = doc.value(kPref, indexed(u"SearchHistory", i), kShortTextSize);

    s.setStatusFlags(*status);

    for (int i = 10; i >= 1; --i)
        m_history.addItem(doc.value(kHistory, indexed(u"HIS", i), kPathSize));

    const std::optional<qint32> width = toInt32(doc.value(kWindow, u"Width", kLengthSize));
    if (!width)
        return false;
    m_host.setWindowSize(*width, wholeTwips(m_host.windowHeight()));
    const std::optional<qint32> height = toInt32(doc.value(kWindow, u"Height", kLengthSize));
    if (!height)
        return false;
    m_host.setWindowSize(wholeTwips(m_host.windowWidth()), *height);

    for (int i = 0; i < 5; ++i) {
        const std::optional<qint32> column =
            toInt32(doc.value(kWindow, u"C%1_Width"_s.arg(i + 1), kLengthSize));
        if (!column)
            return false;
        s.ColumnWidths[i] = *column;
    }
    loadFilters(doc);
    return true;
}

void SettingsFile::loadFilters(const IniDocument& doc)
{
    Settings& s = m_settings;
    s.FilterBar = toInt32(doc.value(kFilter, u"Bar")).value_or(0) != 0 ? 1 : 0;
    s.SavedFilters.clear();
    const int count =
        std::clamp(toInt32(doc.value(kFilter, u"Count")).value_or(0), 0, kMaxSavedFilters);
    for (int i = 1; i <= count; ++i) {
        SavedFilter f{doc.value(kFilter, indexed(u"Name", i)),
                      doc.value(kFilter, indexed(u"Filter", i))};
        if (!f.name.isEmpty())
            s.SavedFilters.append(f);
    }
}

void SettingsFile::saveFilters(IniDocument& doc) const
{
    const Settings& s = m_settings;
    // A file that never had the section stays as the classic program writes it.
    if (!doc.contains(kFilter, u"Bar") && s.FilterBar == 0 && s.SavedFilters.isEmpty())
        return;
    doc.setValue(kFilter, u"Bar", QString::number(s.FilterBar));
    doc.setValue(kFilter, u"Count", QString::number(s.SavedFilters.size()));
    for (int i = 1; i <= s.SavedFilters.size(); ++i) {
        doc.setValue(kFilter, indexed(u"Name", i), s.SavedFilters.at(i - 1).name);
        doc.setValue(kFilter, indexed(u"Filter", i), s.SavedFilters.at(i - 1).definition);
    }
}

bool SettingsFile::create()
{
    const QString rule = u"'"_s + QString(56, u'-');
    const QDateTime now = m_clock.now().toLocalTime();
    const QStringList lines = {
        rule,
        u"'  Tallyweaver用設定保持 INIファイル"_s,
        u"'    作成時のバージョン:"_s + m_versionText,
        u"'    作成時刻:"_s + QLocale::c().toString(now, u"M/d/yy H:mm"_s),
        rule,
        QString(),
        u"[PREF]"_s,
        u"StatusValues=11"_s,
        QString(),
    };
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += cp932::encode(line) + "\r\n";
    const bool written = writeFile(m_path, bytes);
    applyNewFileDefaults();
    return written;
}

void SettingsFile::applyNewFileDefaults()
{
    m_settings.ShwTBar = 1;
    m_settings.ShwSBar = 1;
    m_settings.LLineValue = 1;
    setListFont(m_settings, m_host.initialListFont());
    const std::array<double, 5> widths =
        newFileColumnWidths(m_host.innerWidth(), m_host.typicalColumnWidths());
    for (int i = 0; i < 5; ++i)
        m_settings.ColumnWidths[i] = wholeTwips(widths[i]);
}

bool SettingsFile::save()
{
    IniDocument doc;
    if (doc.load(m_path) == IniDocument::LoadResult::Unreadable)
        return false;
    const Settings& s = m_settings;

    doc.setValue(kPref, u"StatusValues", QString::number(s.statusValues()));
    doc.setValue(kPref, u"BrowserPath", s.BrowserPath);
    doc.setValue(kPref, u"InitDir", s.InitDir);
    doc.setValue(kPref, u"ALogMax", QString::number(s.ALogMax));
    doc.setValue(kPref, u"Font_Color", QString::number(s.Font_Color));
    doc.setValue(kPref, u"Font_Size", QString::number(s.Font_Size));
    doc.setValue(kPref, u"Font_Name", s.Font_Name);
    for (int i = 0; i < int(s.Pratform.size()); ++i)
        doc.setValue(kPref, indexed(u"Pratform", i), s.Pratform[i]);
    for (int i = 0; i < int(s.SearchHistory.size()); ++i)
        doc.setValue(kPref, indexed(u"SearchHistory", i), s.SearchHistory[i]);

    for (int i = 1; i <= 10; ++i)
        doc.setValue(kHistory, indexed(u"HIS", i), m_history.menuItem(i));

    doc.setValue(kWindow, u"Width", singleText(m_host.windowWidth()));
    doc.setValue(kWindow, u"Height", singleText(m_host.windowHeight()));
    const std::array<double, 5> columns = m_host.columnWidths();
    for (int i = 0; i < 5; ++i)
        doc.setValue(kWindow, u"C%1_Width"_s.arg(i + 1), singleText(columns[i]));
    saveFilters(doc);

    return writeFile(m_path, doc.bytes());
}

bool SettingsFile::migrate()
{
    QByteArray bytes;
    if (!readFile(m_path, bytes))
        return false;
    IniDocument doc;
    doc.setBytes(bytes);
    Settings& s = m_settings;
    const QString pref = u"PREFARENCE"_s;

    const auto readShort = [&](QStringView key, int size, int& field) {
        const std::optional<qint32> value = toInt16(doc.value(pref, key, size));
        if (value)
            field = *value;
        return value.has_value();
    };
    const auto readTruth = [&](QStringView key, int& field) {
        const std::optional<bool> value = toTruthValue(doc.value(pref, key, kShortNumberSize));
        if (value)
            field = *value ? 1 : 0;
        return value.has_value();
    };

    if (!readShort(u"LGridView", 2, s.LGridView) || !readShort(u"LLineValue", 2, s.LLineValue))
        return false;
    s.InitDir = doc.value(pref, u"LogFilePath", kPathSize);
    s.BrowserPath = doc.value(pref, u"BrzPath", kPathSize);
    if (!readShort(u"AccListMax", kShortNumberSize, s.ALogMax) ||
        !readShort(u"UrlOMode", 2, s.UrlOMode) || !readTruth(u"ShwTBar", s.ShwTBar) ||
        !readTruth(u"ShwSBar", s.ShwSBar))
        return false;
    s.Font_Name = doc.value(pref, u"LstFontNam", 16);
    if (!readShort(u"LstFontSiz", kShortNumberSize, s.Font_Size) ||
        !readTruth(u"LstFontBld", s.LstFontBld) || !readTruth(u"LstFontItr", s.LstFontItr) ||
        !readTruth(u"LstFontStr", s.LstFontStr) || !readTruth(u"LstFontUnd", s.LstFontUnd))
        return false;

    for (int i = 10; i >= 1; --i)
        m_history.addItem(doc.value(u"MENU", indexed(u"rireki", i), kPathSize));

    const std::optional<qint32> width = toInt32(doc.value(u"FORM", u"main_width", kLengthSize));
    if (!width)
        return false;
    m_host.setWindowSize(*width, wholeTwips(m_host.windowHeight()));
    const std::optional<qint32> height = toInt32(doc.value(u"FORM", u"main_height", kLengthSize));
    if (!height)
        return false;
    m_host.setWindowSize(wholeTwips(m_host.windowWidth()), *height);

    for (int i = 0; i < 5; ++i) {
        const std::optional<qint32> column =
            toInt32(doc.value(u"LISTVIEW", u"item%1_width"_s.arg(i + 1), kLengthSize));
        if (!column)
            return false;
        s.ColumnWidths[i] = *column;
    }

    if (!copyToBackup(bytes) || !QFile::remove(m_path))
        return false;
    create();
    return true;
}

bool SettingsFile::copyToBackup(const QByteArray& bytes) const
{
    return writeFile(backupPath(), bytes);
}

bool SettingsFile::loadOrCreate()
{
    if (load())
        return true;
    // A file that did not load is kept before the new one replaces it; after a migration the
    // backup already holds the old file.
    if (!m_migrated && QFileInfo::exists(m_path)) {
        QByteArray bytes;
        if (!readFile(m_path, bytes) || !copyToBackup(bytes)) {
            applyNewFileDefaults();
            return false;
        }
    }
    return create();
}

} // namespace tw
