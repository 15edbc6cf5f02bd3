// Any INI bytes: the document writes unchanged lines back byte for byte, and the settings load
// ends with a result whatever the values hold.
#include "fuzz_support.h"
#include "settings/ini_file.h"
#include "settings/menu_history.h"
#include "settings/settings_file.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tw;

namespace {

class FakeHost final : public SettingsHost {
public:
    void setWindowSize(qint32 w, qint32 h) override
    {
        width = w;
        height = h;
    }
    double windowWidth() const override { return width; }
    double windowHeight() const override { return height; }
    double innerWidth() const override { return 8265; }
    std::array<double, 5> columnWidths() const override { return {1736, 1653, 1322, 1570, 1984}; }
    ListFont initialListFont() const override { return {QStringLiteral("Sans"), 9, 0, 0, 0, 0, 0}; }

    double width = 9600, height = 7200;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    const QByteArray in = fuzz::bytesOf(data, size);

    IniDocument doc;
    doc.setBytes(in);
    const QByteArray once = doc.bytes();
    IniDocument again;
    again.setBytes(once);
    TW_FUZZ_CHECK(again.bytes() == once);
    (void)doc.value(u"Settings", u"ListFontName");
    (void)doc.value(u"Settings", u"ListFontName", 8);
    doc.setValue(u"Fuzz", u"Key", u"a\r\nb");
    TW_FUZZ_CHECK(doc.value(u"Fuzz", u"Key") == QStringLiteral("a  b"));

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TALLYWVR.INI"));
    QFile::remove(path);
    QFile::remove(dir.filePath(QStringLiteral("TALLYWVR.OLD")));
    {
        QFile f(path);
        TW_FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(in);
    }
    Settings settings;
    MenuHistory history;
    FakeHost host;
    const FixedClock clock(QDateTime(QDate(2001, 3, 7), QTime(9, 5)));
    SettingsFile file(path, settings, history, host, clock, QStringLiteral("2.2.16"));
    if (file.load())
        TW_FUZZ_CHECK(file.save());
    return 0;
}
