#include "analysis/ui/item_info_dialog.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "core/url_open.h"
#include "settings/settings.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/web_logs.h"
#include "ui/icons.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

AccessRecord record(const QString& browser, const QString& previousPage)
{
    return {browser, u"host.example.ne.jp"_s, u"192.0.2.7"_s, u"2001/12/03 09:05:00"_s,
            previousPage};
}

const QString kIeAgent = u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s;

struct Rig {
    explicit Rig(const ItemInfo& item) : dialog(item, settings, prompts, platform, opener) {}

    QAction* button(int position) const
    {
        return dialog.findChild<QToolBar*>(u"tbrItemInfo"_s)->actions().at(position - 1);
    }
    QLabel* picture() const { return dialog.findChild<QLabel*>(u"imgBrowser"_s); }

    Settings settings;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    UrlOpener opener{[this] { return urlOpenPolicy(settings); }, platform, prompts};
    ItemInfoDialog dialog;
};

QImage imageOf(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestItemInfoDialog : public QObject {
    Q_OBJECT

private slots:
    void showsTheFiveTextsReadOnly();
    void toolbarByPosition();
    void openButtonNeedsHttp_data();
    void openButtonNeedsHttp();
    void pictureAndTooltip_data();
    void pictureAndTooltip();
    void saveWritesFiveLinesAndAnEmptyOne();
    void saveCancelledOrFailing();
    void copyPutsFiveLinesOnTheClipboard();
    void openPassesRowTextThroughTheSafetyRule();
    void focusSelectsTheWholeField();
    void closeButtonIsDefaultAndDeletesTheDialog();
    void webLogFieldsFollowTheFive();
};

void TestItemInfoDialog::showsTheFiveTextsReadOnly()
{
    const AccessRecord item = record(kIeAgent, u"http://example.com/index.html"_s);
    Rig rig(item);
    QCOMPARE(rig.dialog.objectName(), u"frmItemInfo"_s);
    QCOMPARE(rig.dialog.windowTitle(), u"アイテムの情報"_s);
    for (int k = 0; k < 4; ++k) {
        auto* field = rig.dialog.findChild<QLineEdit*>(u"txtItem(%1)"_s.arg(k));
        QVERIFY(field);
        QVERIFY(field->isReadOnly());
        QCOMPARE(field->text(), item.field(k));
    }
    auto* page = rig.dialog.findChild<QPlainTextEdit*>(u"txtItem(4)"_s);
    QVERIFY(page && page->isReadOnly());
    QCOMPARE(page->toPlainText(), item.previousPage);

    QStringList labels;
    for (const QLabel* label : rig.dialog.findChildren<QLabel*>())
        labels.append(label->text());
    for (const QString& caption : {u"ブラウザ(&B)："_s, u"ホスト(&H)："_s, u"&IP："_s,
                                   u"日付時間(&D)："_s, u"前回頁(&R)："_s})
        QVERIFY2(labels.contains(caption), qPrintable(caption));
}

void TestItemInfoDialog::toolbarByPosition()
{
    Rig rig(record(kIeAgent, u"http://example.com/"_s));
    const QStringList keys = {u"SAVE"_s, u"COPY"_s, u"SEP"_s, u"BROWS"_s};
    const QStringList tips = {u"すべての情報を保存"_s, u"すべての情報をコピー"_s, QString(),
                              u"前回頁のURLを開く"_s};
    for (int position = 1; position <= 4; ++position) {
        QCOMPARE(rig.button(position)->objectName(), keys.at(position - 1));
        QCOMPARE(rig.button(position)->toolTip(), tips.at(position - 1));
    }
    QVERIFY(rig.button(3)->isSeparator());

    rig.button(2)->trigger();
    QCOMPARE(rig.prompts.boxes.size(), 1);
    rig.button(4)->trigger();
    QCOMPARE(rig.platform.urls, QStringList{u"http://example.com/"_s});
    rig.button(1)->trigger();
    QCOMPARE(rig.prompts.dialogs.size(), 1);
}

void TestItemInfoDialog::openButtonNeedsHttp_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dash") << u"-"_s << false;
    QTest::newRow("upper case") << u"HTTP://EXAMPLE.COM/"_s << false;
    QTest::newRow("bookmark") << u"bookmark"_s << false;
    QTest::newRow("web page") << u"http://example.com/"_s << true;
    QTest::newRow("https") << u"https://example.com/"_s << true;
    QTest::newRow("http inside") << u"see http"_s << true;
}

void TestItemInfoDialog::openButtonNeedsHttp()
{
    QFETCH(QString, page);
    QFETCH(bool, enabled);
    Rig rig(record(kIeAgent, page));
    QCOMPARE(rig.button(4)->isEnabled(), enabled);
    QVERIFY(rig.button(1)->isEnabled());
    QVERIFY(rig.button(2)->isEnabled());
}

void TestItemInfoDialog::pictureAndTooltip_data()
{
    QTest::addColumn<QString>("browser");
    QTest::addColumn<int>("family"); // -1: no picture
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("bad data") << u"bad data"_s << -1 << u"その他"_s;
    QTest::newRow("empty") << QString() << -1 << u"その他"_s;
    QTest::newRow("MSIE") << kIeAgent << int(BrowserClass::IE) << u"InternetExplorer"_s;
    QTest::newRow("MSPIE and Mozilla") << u"Mozilla/2.0 (compatible; MSPIE 2.0; Windows CE)"_s
                                       << int(BrowserClass::NN) << u"Netscape"_s;
    QTest::newRow("WWWC") << u"WWWC/1.04"_s << int(BrowserClass::WWWC) << u"WWWC"_s;
    QTest::newRow("other") << u"Wget/1.5.3"_s << int(BrowserClass::EXE) << u"その他"_s;
}

void TestItemInfoDialog::pictureAndTooltip()
{
    QFETCH(QString, browser);
    QFETCH(int, family);
    QFETCH(QString, toolTip);
    Rig rig(record(browser, u"-"_s));
    QLabel* picture = rig.picture();
    QVERIFY(picture);
    QCOMPARE(picture->toolTip(), toolTip);
    if (family < 0) {
        QVERIFY(picture->pixmap().isNull());
    } else {
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(imageOf(picture->pixmap()),
                 imageOf(browserIcon(BrowserClass(family)).pixmap(16, 16)));
    }
}

void TestItemInfoDialog::saveWritesFiveLinesAndAnEmptyOne()
{
    QTemporaryDir dir;
    const AccessRecord item = record(kIeAgent, u"http://example.com/表"_s);
    Rig rig(item);
    rig.settings.InitDir = u"/srv/logs"_s;
    const QString path = dir.filePath(u"item.txt"_s);
    QVERIFY(test::writeBytes(path, "old contents that are longer than nothing"));
    rig.prompts.fileNames.enqueue(path);
    rig.dialog.save();

    QCOMPARE(rig.prompts.dialogs.size(), 1);
    const FileDialogRequest& request = rig.prompts.dialogs.first().request;
    QVERIFY(rig.prompts.dialogs.first().save);
    QCOMPARE(request.title, u"保存"_s);
    QCOMPARE(request.filter, u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"_s);
    QCOMPARE(request.filterIndex, 1);
    QCOMPARE(request.defaultExtension, u"txt"_s);
    QCOMPARE(request.initialFolder, u"/srv/logs"_s);
    QVERIFY(request.confirmOverwrite);

    const QByteArray expected =
        test::sjis("ブラウザ:Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)\r\n"
                   "ホスト:host.example.ne.jp\r\n"
                   "IP:192.0.2.7\r\n"
                   "日付時間:2001/12/03 09:05:00\r\n"
                   "前回頁:http://example.com/表\r\n"
                   "\r\n");
    QCOMPARE(test::readBytes(path), expected);
    QCOMPARE(test::readBytes(path).split('\n').size(), 7); // six lines, each ending in CR LF
    QVERIFY(rig.prompts.boxes.isEmpty());
}

void TestItemInfoDialog::saveCancelledOrFailing()
{
    QTemporaryDir dir;
    Rig rig(record(kIeAgent, u"-"_s));
    rig.dialog.save(); // cancelled: empty queue
    QVERIFY(rig.prompts.boxes.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());

    rig.prompts.fileNames.enqueue(dir.filePath(u"no/such/folder/item.txt"_s));
    rig.dialog.save();
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.first().caption, u"エラー"_s);
    QCOMPARE(rig.prompts.boxes.first().text, u"ファイルが書き込めませんでした。"_s);
    QCOMPARE(rig.prompts.boxes.first().icon, MessageIcon::Warning);
}

void TestItemInfoDialog::copyPutsFiveLinesOnTheClipboard()
{
    Rig rig(record(kIeAgent, QString()));
    rig.dialog.copy();
    QCOMPARE(
        rig.platform.clipboard,
        u"ブラウザ:Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)\r\nホスト:host.example.ne.jp\r\n"
        "IP:192.0.2.7\r\n日付時間:2001/12/03 09:05:00\r\n前回頁:\r\n"_s);
    QCOMPARE(rig.prompts.boxes.size(), 1);
    QCOMPARE(rig.prompts.boxes.first().caption, u"情報"_s);
    QCOMPARE(rig.prompts.boxes.first().text, u"コピーしました。"_s);
    QCOMPARE(rig.prompts.boxes.first().icon, MessageIcon::Information);
}

void TestItemInfoDialog::openPassesRowTextThroughTheSafetyRule()
{
    // The button is enabled by "http" anywhere; what leaves the program is decided by the opener.
    Rig rig(record(kIeAgent, u"javascript:alert('http')"_s));
    QVERIFY(rig.button(4)->isEnabled());
    rig.button(4)->trigger();
    QVERIFY(rig.platform.urls.isEmpty());
    QVERIFY(rig.platform.launches.isEmpty());
    QCOMPARE(rig.prompts.beeps, 1);

    Rig browserRig(record(kIeAgent, u"http://example.com/a b;c"_s));
    browserRig.settings.UrlOMode = 1;
    browserRig.settings.BrowserPath = u"/usr/bin/browser"_s;
    browserRig.button(4)->trigger();
    QCOMPARE(browserRig.platform.launches.size(), 1);
    QCOMPARE(browserRig.platform.launches.first().arguments,
             QStringList{u"http://example.com/a b;c"_s});
}

void TestItemInfoDialog::focusSelectsTheWholeField()
{
    Rig rig(record(kIeAgent, u"http://example.com/"_s));
    rig.dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
    auto* host = rig.dialog.findChild<QLineEdit*>(u"txtItem(1)"_s);
    host->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(host->selectedText(), u"host.example.ne.jp"_s);
    auto* page = rig.dialog.findChild<QPlainTextEdit*>(u"txtItem(4)"_s);
    page->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(page->textCursor().selectedText(), u"http://example.com/"_s);
}

void TestItemInfoDialog::closeButtonIsDefaultAndDeletesTheDialog()
{
    Settings settings;
    test::ScriptedPrompts prompts;
    test::RecordingPlatform platform;
    UrlOpener opener([&settings] { return urlOpenPolicy(settings); }, platform, prompts);
    QWidget owner;
    QPointer<ItemInfoDialog> first = ItemInfoDialog::showFor(record(kIeAgent, u"-"_s), settings,
                                                             prompts, platform, opener, &owner);
    QPointer<ItemInfoDialog> second = ItemInfoDialog::showFor(
        record(u"WWWC/1.0"_s, u"-"_s), settings, prompts, platform, opener, &owner);
    QVERIFY(first && second && first != second);
    QVERIFY(first->isVisible() && !first->isModal());
    QCOMPARE(first->parentWidget(), &owner);

    auto* close = first->findChild<QPushButton*>(u"cmdClose"_s);
    QCOMPARE(close->text(), u"閉じる(&C)"_s);
    QVERIFY(close->isDefault());
    close->click();
    QTRY_VERIFY(first.isNull());
    QVERIFY(second);

    QTest::keyClick(second.data(), Qt::Key_Escape);
    QTRY_VERIFY(second.isNull());
}

void TestItemInfoDialog::webLogFieldsFollowTheFive()
{
    // A list file's row beside web-log rows that have request and status only.
    LogList list;
    LogBatch plain;
    plain.addRecord(record(kIeAgent, u"-"_s));
    list.append(std::move(plain));
    list.append(test::webBatch(
        (1u << ColRequest) | (1u << ColStatus),
        {{kIeAgent, u"h"_s, u"ip"_s, u"d"_s, u"-"_s, u"GET /表 HTTP/1.1"_s, u"200"_s}}));
    QVERIFY(itemInfoOf(list, 0).extras.isEmpty());
    const ItemInfo web = itemInfoOf(list, 1);
    QCOMPARE(web.record.host, u"h"_s);
    QCOMPARE(web.extras,
             (QList<ItemInfo::Extra>{{ColRequest, u"GET /表 HTTP/1.1"_s}, {ColStatus, u"200"_s}}));

    Rig rig(web);
    auto* request = rig.dialog.findChild<QLineEdit*>(u"txtItem(5)"_s);
    QVERIFY(request && request->isReadOnly());
    QCOMPARE(request->text(), u"GET /表 HTTP/1.1"_s);
    QVERIFY(!rig.dialog.findChild<QLineEdit*>(u"txtItem(7)"_s));
    bool labelled = false;
    for (QLabel* label : rig.dialog.findChildren<QLabel*>())
        labelled = labelled || (label->buddy() == request && label->text() == u"リクエスト："_s);
    QVERIFY(labelled);

    // The copied and the saved text list them after the five lines.
    const QString text = u"ブラウザ:"_s + kIeAgent +
                         u"\r\nホスト:h\r\nIP:ip\r\n日付時間:d\r\n前回頁:-\r\n"
                         u"リクエスト:GET /表 HTTP/1.1\r\nステータス:200\r\n"_s;
    rig.dialog.copy();
    QCOMPARE(rig.platform.clipboard, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"item.txt"_s);
    rig.prompts.fileNames.enqueue(path);
    rig.dialog.save();
    QCOMPARE(test::readBytes(path), test::sjis((text + u"\r\n"_s).toUtf8().constData()));
}

QTEST_MAIN(TestItemInfoDialog)
#include "tst_item_info_dialog.moc"
