#include "settings/menu_history.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;

namespace {

// Configured as the program does at start-up.
void configure(MenuHistory& h)
{
    for (int i = 0; i < 10; ++i)
        h.setMenu();
    h.setCompSize(45);
    h.setHistoryNothingMessage(u"履歴はありません"_s);
    h.setItemCompress(true);
}

QStringList entries(const MenuHistory& h)
{
    QStringList out;
    for (int i = 1; i <= h.slotCount(); ++i)
        out << h.menuItem(i);
    while (!out.isEmpty() && out.back().isEmpty())
        out.removeLast();
    return out;
}

void fill(MenuHistory& h, int count)
{
    for (int i = count; i >= 1; --i)
        h.addItem(u"/logs/%1"_s.arg(i));
}

} // namespace

class TestMenuHistory : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void emptyListShowsPlaceholder();
    void newestOnTop();
    void eleventhPathDropsTheTenth();
    void remove_data();
    void remove();
    void emptyPathIsIgnored();
    void shortening_data();
    void shortening();
    void captionsEscapeAmpersands();
    void sort();
};

void TestMenuHistory::defaults()
{
    MenuHistory h;
    QCOMPARE(h.historyNothingMessage(), u"履歴無し"_s);
    QCOMPARE(h.itemCompress(), true);
    QCOMPARE(h.compSize(), 30);
    QCOMPARE(h.slotCount(), 0);
    h.addItem(u"/a"_s); // no slot to hold it
    QCOMPARE(h.menuCount(), 0);
}

void TestMenuHistory::emptyListShowsPlaceholder()
{
    MenuHistory h;
    QSignalSpy refreshed(&h, &MenuHistory::refreshed);
    configure(h);
    QCOMPARE(refreshed.count(), 13);
    QCOMPARE(h.menuCount(), 0);
    QCOMPARE(h.item(0), (MenuHistoryItem{u"履歴はありません"_s, true, false}));
    for (int i = 1; i < 10; ++i)
        QVERIFY(!h.item(i).visible);
    QCOMPARE(h.menuItem(1), QString());
    QCOMPARE(h.menuItem(11), QString());
}

void TestMenuHistory::newestOnTop()
{
    MenuHistory h;
    configure(h);
    QSignalSpy added(&h, &MenuHistory::historyAddItem);
    h.addItem(u"A"_s);
    h.addItem(u"B"_s);
    h.addItem(u"C"_s);
    QCOMPARE(h.item(0), (MenuHistoryItem{u"&1: C"_s, true, true}));
    QCOMPARE(h.item(1).caption, u"&2: B"_s);
    QCOMPARE(h.item(2).caption, u"&3: A"_s);
    QVERIFY(!h.item(3).visible);
    h.addItem(u"A"_s);
    QCOMPARE(entries(h), (QStringList{u"A"_s, u"C"_s, u"B"_s}));
    QCOMPARE(added.count(), 4);
    QCOMPARE(added.last().first().toString(), u"A"_s);
    // Letter case makes a different path.
    h.addItem(u"a"_s);
    QCOMPARE(entries(h), (QStringList{u"a"_s, u"A"_s, u"C"_s, u"B"_s}));
    QCOMPARE(h.menuCount(), 4);
}

void TestMenuHistory::eleventhPathDropsTheTenth()
{
    MenuHistory h;
    configure(h);
    fill(h, 10);
    QCOMPARE(h.menuCount(), 10);
    QCOMPARE(h.item(9).caption, u"&10: /logs/10"_s);
    QSignalSpy overflow(&h, &MenuHistory::overFlowItem);
    h.addItem(u"/logs/5"_s); // already present: no overflow
    QCOMPARE(overflow.count(), 0);
    h.addItem(u"/logs/new"_s);
    QCOMPARE(overflow.count(), 1);
    QCOMPARE(overflow.first().first().toString(), u"/logs/10"_s);
    QCOMPARE(h.menuItem(1), u"/logs/new"_s);
    QCOMPARE(h.menuItem(2), u"/logs/5"_s);
    QCOMPARE(h.menuItem(10), u"/logs/9"_s);
    QCOMPARE(h.menuCount(), 10);
}

void TestMenuHistory::remove_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("expected");

    const auto p = [](int i) { return u"/logs/%1"_s.arg(i); };
    QTest::newRow("2 of 5") << 5 << 2 << QStringList{p(1), p(3), p(4), p(5)};
    QTest::newRow("1 of 5") << 5 << 1 << QStringList{p(2), p(3), p(4), p(5)};
    QTest::newRow("5 of 5") << 5 << 5 << QStringList{p(1), p(2), p(3), p(4)};
    QTest::newRow("7 of 5") << 5 << 7 << QStringList{p(1), p(2), p(3), p(4), p(5)};
    QTest::newRow("0 of 5") << 5 << 0 << QStringList{p(1), p(2), p(3), p(4), p(5)};
    QTest::newRow("10 of 10") << 10 << 10
                              << QStringList{p(1), p(2), p(3), p(4), p(5), p(6), p(7), p(8), p(9)};
    QTest::newRow("1 of 1") << 1 << 1 << QStringList{};
    QTest::newRow("empty list") << 0 << 1 << QStringList{};
}

void TestMenuHistory::remove()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(QStringList, expected);
    MenuHistory h;
    configure(h);
    fill(h, count);
    h.removeItem(index);
    QCOMPARE(entries(h), expected);
    QCOMPARE(h.menuCount(), expected.size());
    for (int i = 0; i < 10; ++i)
        QCOMPARE(h.item(i).visible, i < expected.size() || i == 0);
    QCOMPARE(h.item(0).enabled, !expected.isEmpty());
}

void TestMenuHistory::emptyPathIsIgnored()
{
    MenuHistory h;
    configure(h);
    h.addItem(u"A"_s);
    QSignalSpy added(&h, &MenuHistory::historyAddItem);
    h.addItem(QString());
    QCOMPARE(entries(h), QStringList{u"A"_s});
    QCOMPARE(added.count(), 0);
    QCOMPARE(h.item(0).caption, u"&1: A"_s);
}

void TestMenuHistory::shortening_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("compSize");
    QTest::addColumn<bool>("compress");
    QTest::addColumn<QString>("expected");

    const QString example = u"C:/My Documents/web site logs/2001/december/access_log"_s;
    QTest::newRow("example") << example << 45 << true << u"C:/.../2001/december/access_log"_s;
    QTest::newRow("posix") << u"/home/My Documents/web site logs/2001/december/access_log"_s << 45
                           << true << u"/.../web site logs/2001/december/access_log"_s;
    QTest::newRow("off") << example << 45 << false << example;
    const QString p44 = u"/home/user/logs/"_s + QString(28, u'x');
    QCOMPARE(p44.size(), 44);
    QTest::newRow("44 shown whole") << p44 << 45 << true << p44;
    const QString p45 = u"/home/user/logs/"_s + QString(29, u'x');
    QTest::newRow("45 shortened") << p45 << 45 << true << u"/.../user/logs/"_s + QString(29, u'x');
    const QString root = u"/"_s + QString(60, u'x');
    QTest::newRow("file in root") << root << 45 << true << root;
    const QString bare = QString(60, u'x');
    QTest::newRow("no separator") << bare << 45 << true << bare;
    QTest::newRow("one folder") << u"/folder/"_s + QString(50, u'y') << 45 << true
                                << u"/.../"_s + QString(50, u'y');
    QTest::newRow("stops when short")
        << u"/aaaaaaaaaa/bbbbbbbbbb/cccccccccc/file"_s << 30 << true << u"/.../cccccccccc/file"_s;
}

void TestMenuHistory::shortening()
{
    QFETCH(QString, path);
    QFETCH(int, compSize);
    QFETCH(bool, compress);
    QFETCH(QString, expected);
    MenuHistory h;
    configure(h);
    h.setCompSize(compSize);
    h.setItemCompress(compress);
    QCOMPARE(h.shortenedPath(path), expected);
    h.addItem(path);
    QCOMPARE(h.item(0).caption, u"&1: "_s + expected);
    QCOMPARE(h.menuItem(1), path);
}

void TestMenuHistory::captionsEscapeAmpersands()
{
    MenuHistory h;
    configure(h);
    h.addItem(u"/logs/R&D/access_log"_s);
    QCOMPARE(h.item(0).caption, u"&1: /logs/R&&D/access_log"_s);
    QCOMPARE(h.menuItem(1), u"/logs/R&D/access_log"_s);
}

void TestMenuHistory::sort()
{
    MenuHistory h;
    configure(h);
    for (const char* p : {"b", "D", "a", "c"})
        h.addItem(QString::fromLatin1(p));
    h.itemSort(3);
    QCOMPARE(entries(h), (QStringList{u"c"_s, u"a"_s, u"D"_s, u"b"_s}));
    h.itemSort(1);
    QCOMPARE(entries(h), (QStringList{u"D"_s, u"a"_s, u"b"_s, u"c"_s}));
    QCOMPARE(h.item(0).caption, u"&1: D"_s);
    h.itemSort(2);
    QCOMPARE(entries(h), (QStringList{u"c"_s, u"b"_s, u"a"_s, u"D"_s}));
    QCOMPARE(h.item(3).caption, u"&4: D"_s);
    QVERIFY(!h.item(4).visible);
}

QTEST_GUILESS_MAIN(TestMenuHistory)
#include "tst_menu_history.moc"
