#include "mainwindow/drag_drop.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/log_list_view.h"
#include "mainwindow/ui/program_rig.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include <memory>

using namespace tw;
using namespace Qt::StringLiterals;
using test::listFile;
using test::listFileOfRows;
using test::Program;

namespace {

// Drops the data on the list as a desktop drop would, and lets the window act on it.
void drop(MainWindow& window, QMimeData* data)
{
    QWidget* viewport = window.listView()->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &dropped);
    QVERIFY(dropped.isAccepted());
    QCOMPARE(dropped.dropAction(), Qt::CopyAction);
    QApplication::processEvents();
}

std::unique_ptr<QMimeData> filesData(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

QList<QStringList> rowsWithPages(const QStringList& pages)
{
    QList<QStringList> rows;
    for (qsizetype i = 0; i < pages.size(); ++i)
        rows.append({u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s, u"h%1"_s.arg(i),
                     u"10.0.0.1"_s, u"2001/12/03 09:05:00"_s, pages.at(i)});
    return rows;
}

} // namespace

class TestMainWindowDragDrop : public QObject {
    Q_OBJECT

private slots:
    void listTakesDropsAndStartsDrags();
    void threeFilesOpenFirstAndStartOneInstance();
    void oneFileReplacesTheRows();
    void nonFilesAreRefused_data();
    void nonFilesAreRefused();
    void folderDropLeavesTheList();
    void rowDragOffersShortcut();
    void plantedLinkIsNotWrittenThrough();
    void rowDragRefused_data();
    void rowDragRefused();
    void unwritableTempFolderRefusesDrag();
    void shortcutRemovedAfterDropOnly();
};

void TestMainWindowDragDrop::listTakesDropsAndStartsDrags()
{
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"x"_s}));
    LogListView* view = p.window().listView();
    QVERIFY(view->acceptDrops());
    QVERIFY(view->dragEnabled());
    QVERIFY(p.window().model()->flags(p.window().model()->index(0, 0)) & Qt::ItemIsDragEnabled);
}

void TestMainWindowDragDrop::threeFilesOpenFirstAndStartOneInstance()
{
    QTemporaryDir files;
    const QString a = listFile(files, u"a.twv"_s, {u"x"_s, u"y"_s});
    const QString b = listFile(files, u"b c.twv"_s, {u"z"_s});
    const QString c = listFile(files, u"c.twv"_s, {u"w"_s});
    Program p;
    drop(p.window(), filesData({a, b, c}).get());
    QCOMPARE(p.window().windowTitle(), u"Tallyweaver - [a.twv]"_s);
    QCOMPARE(p.window().model()->rowCount(), 2);
    QCOMPARE(p.platform.launches.size(), 1);
    QVERIFY(p.platform.launches.first().program.isEmpty());
    QCOMPARE(p.platform.launches.first().arguments, (QStringList{b, c}));
    QVERIFY(p.prompts.boxes.isEmpty());
}

void TestMainWindowDragDrop::oneFileReplacesTheRows()
{
    QTemporaryDir files;
    const QString a = listFile(files, u"a.twv"_s, {u"x"_s, u"y"_s, u"z"_s});
    const QString b = listFile(files, u"b.twv"_s, {u"w"_s});
    Program p(a);
    QCOMPARE(p.window().model()->rowCount(), 3);
    drop(p.window(), filesData({b}).get());
    QCOMPARE(test::hostColumn(p.window().model()), QStringList{u"w"_s});
    QCOMPARE(p.window().windowTitle(), u"Tallyweaver - [b.twv]"_s);
    QVERIFY(p.platform.launches.isEmpty());
}

void TestMainWindowDragDrop::nonFilesAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("link");
    QTest::newRow("text") << u"some text"_s << QString();
    QTest::newRow("web link") << QString() << u"http://example.com/a.twv"_s;
}

void TestMainWindowDragDrop::nonFilesAreRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, link);
    QTemporaryDir files;
    Program p(listFile(files, u"a.twv"_s, {u"x"_s}));
    QMimeData data;
    if (!text.isEmpty())
        data.setText(text);
    if (!link.isEmpty())
        data.setUrls({QUrl(link)});
    drop(p.window(), &data);
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.first().caption, u"エラー"_s);
    QCOMPARE(p.prompts.boxes.first().text, u"ファイルを指定してください"_s);
    QCOMPARE(p.prompts.boxes.first().icon, MessageIcon::Warning);
    QCOMPARE(p.window().model()->rowCount(), 1);
    QVERIFY(p.platform.launches.isEmpty());
}

void TestMainWindowDragDrop::folderDropLeavesTheList()
{
    QTemporaryDir files;
    const QString a = listFile(files, u"a.twv"_s, {u"x"_s, u"y"_s});
    Program p(a);
    const QString folder = files.filePath(u"logs"_s);
    QVERIFY(QDir().mkdir(folder));
    drop(p.window(), filesData({folder}).get());
    QCOMPARE(test::hostColumn(p.window().model()), (QStringList{u"x"_s, u"y"_s}));
    QCOMPARE(p.window().windowTitle(), u"Tallyweaver - [a.twv]"_s);
    QCOMPARE(p.panel(3), u"アイテム数:2"_s);
    QCOMPARE(p.prompts.boxes.size(), 1);
    QCOMPARE(p.prompts.boxes.first().caption, u"エラー"_s);
    QCOMPARE(p.prompts.boxes.first().text, folder + u"\r\nは読み込めるファイルではありません。"_s);
    QCOMPARE(p.program.history().menuItem(1), a);
}

void TestMainWindowDragDrop::rowDragOffersShortcut()
{
    QTemporaryDir files;
    Program p(listFileOfRows(
        files, u"a.twv"_s,
        rowsWithPages({u"http://www.example.com/a/b.html"_s, u"https://secure.example.org/x"_s})));
    // Only the current row counts, whatever else is selected.
    p.window().setSelection({0, 1}, 1);
    std::unique_ptr<QMimeData> data(p.window().prepareRowDrag());
    QVERIFY(data);
    // In a folder of its own inside the temporary folder, named after the host.
    const QString path = p.window().shortcutPath();
    QCOMPARE(QFileInfo(path).fileName(), u"secure.example.org.url"_s);
    const QString folder = QFileInfo(path).absolutePath();
    QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(p.platform.temp).absoluteFilePath());
    QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QVERIFY(data->hasFormat(u"text/uri-list"_s));
    QCOMPARE(data->text(), u"https://secure.example.org/x"_s);
    QCOMPARE(test::readBytes(path),
             QByteArray("[InternetShortcut]\r\nURL=https://secure.example.org/x\r\n"));
}

void TestMainWindowDragDrop::plantedLinkIsNotWrittenThrough()
{
    QTemporaryDir files;
    Program p(listFileOfRows(files, u"a.twv"_s, rowsWithPages({u"http://example.com/x"_s})));
    const QString victim = files.filePath(u"victim"_s);
    QVERIFY(test::writeBytes(victim, "keep"));
    QVERIFY(QFile::link(victim, QDir(p.platform.temp).filePath(u"example.com.url"_s)));
    p.window().setSelection({0}, 0);
    std::unique_ptr<QMimeData> data(p.window().prepareRowDrag());
    QVERIFY(data);
    QCOMPARE(test::readBytes(victim), QByteArray("keep"));
    QCOMPARE(test::readBytes(p.window().shortcutPath()),
             QByteArray("[InternetShortcut]\r\nURL=http://example.com/x\r\n"));
}

void TestMainWindowDragDrop::rowDragRefused_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("hyphen") << u"-"_s;
    QTest::newRow("mail address") << u"mailto:http@example.com"_s;
    QTest::newRow("http only in the middle") << u"see http://example.com/"_s;
}

void TestMainWindowDragDrop::rowDragRefused()
{
    QFETCH(QString, page);
    QTemporaryDir files;
    Program p(listFileOfRows(files, u"a.twv"_s, rowsWithPages({page})));
    const QStringList before = QDir(p.platform.temp).entryList(QDir::Files);
    p.window().setSelection({0}, 0);
    QVERIFY(!p.window().prepareRowDrag());
    p.window().setSelection({}, -1);
    QVERIFY(!p.window().prepareRowDrag());
    QCOMPARE(QDir(p.platform.temp).entryList(QDir::Files), before);
    QVERIFY(p.prompts.boxes.isEmpty());
    QCOMPARE(p.prompts.beeps, 0);
}

void TestMainWindowDragDrop::unwritableTempFolderRefusesDrag()
{
    QTemporaryDir files;
    Program p(listFileOfRows(files, u"a.twv"_s, rowsWithPages({u"http://example.com/"_s})));
    p.platform.temp = files.filePath(u"no/such/folder"_s);
    p.window().setSelection({0}, 0);
    QVERIFY(!p.window().prepareRowDrag());
    QVERIFY(p.prompts.boxes.isEmpty());
}

void TestMainWindowDragDrop::shortcutRemovedAfterDropOnly()
{
    QTemporaryDir files;
    Program p(listFileOfRows(
        files, u"a.twv"_s,
        rowsWithPages({u"http://dropped.example.com/"_s, u"http://cancelled.example.com/"_s})));
    p.window().setSelection({0}, 0);
    std::unique_ptr<QMimeData> first(p.window().prepareRowDrag());
    QVERIFY(first);
    const QString dropped = p.window().shortcutPath();
    p.window().finishRowDrag(Qt::CopyAction);
    // The receiver still has time to read it.
    QVERIFY(QFile::exists(dropped));

    p.window().setSelection({1}, 1);
    std::unique_ptr<QMimeData> second(p.window().prepareRowDrag());
    QVERIFY(second);
    const QString cancelled = p.window().shortcutPath();
    p.window().finishRowDrag(Qt::IgnoreAction);

    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dropped), MainWindow::kShortcutRemovalDelayMs * 3);
    QVERIFY(QFile::exists(cancelled));
}

QTEST_MAIN(TestMainWindowDragDrop)
#include "tst_main_window_drag_drop.moc"
