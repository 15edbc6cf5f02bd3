#include "core/text_order.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <string>

using namespace tw;

namespace {

// Texts built from a few shared stems and short tails, so that there are many equal texts,
// long common prefixes, lengths on both sides of every eight bytes, NUL and high bytes.
std::vector<std::string> randomTexts(quint32 seed, int count, int stems, int tails,
                                     int underCommon = 0)
{
    QRandomGenerator random(seed);
    const std::string kStems[] = {"",
                                  "http://www.",
                                  "http://www.example.ne.jp/",
                                  "2001/05/01 ",
                                  "p12345-ip01.tokyo.isp0001.ne.jp",
                                  std::string("ab\0", 3),
                                  "\xe3\x81\x82\xe3\x81\x84",
                                  "abcdefgh"};
    const char kTail[] = {'\0', 'a', 'b', '/', '0', '9', char(0x7f), char(0xe3), char(0xff)};
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        std::string t = kStems[random.bounded(std::min<int>(stems, int(std::size(kStems))))];
        // A share of texts under one long prefix, as most pages of one site are.
        if (int(random.bounded(100)) < underCommon)
            t = "http://www.example.ne.jp/~taro/" + t;
        const int tail = random.bounded(0, tails + 1);
        for (int k = 0; k < tail; ++k)
            t += kTail[random.bounded(int(std::size(kTail)))];
        texts.push_back(t);
    }
    return texts;
}

} // namespace

class TestTextOrder : public QObject {
    Q_OBJECT
private slots:
    void matchesStableSort_data();
    void matchesStableSort();
};

void TestTextOrder::matchesStableSort_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stems");
    QTest::addColumn<int>("tails"); // the longest tail after a stem
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<int>("underCommon"); // percent of texts under one long prefix

    for (const bool ascending : {true, false}) {
        const char* dir = ascending ? " ascending" : " descending";
        QTest::addRow("empty%s", dir) << 1u << 0 << 1 << 19 << ascending << 0;
        QTest::addRow("one%s", dir) << 2u << 1 << 8 << 19 << ascending << 0;
        QTest::addRow("one shared stem%s", dir) << 3u << 5000 << 2 << 19 << ascending << 0;
        QTest::addRow("mostly distinct%s", dir) << 4u << 20000 << 8 << 19 << ascending << 0;
        // Few distinct texts, each many times.
        QTest::addRow("few texts%s", dir) << 5u << 20000 << 8 << 2 << ascending << 0;
        QTest::addRow("just over the few%s", dir) << 6u << 8000 << 8 << 2 << ascending << 0;
        // Large enough for the two-core path.
        QTest::addRow("large%s", dir) << 7u << 250000 << 8 << 19 << ascending << 0;
        QTest::addRow("large, few texts%s", dir) << 8u << 250000 << 8 << 3 << ascending << 0;
        // Most keys in one bucket, which both cores then split further.
        QTest::addRow("large, most under one prefix%s", dir)
            << 9u << 250000 << 8 << 19 << ascending << 70;
    }
}

void TestTextOrder::matchesStableSort()
{
    QFETCH(quint32, seed);
    QFETCH(int, count);
    QFETCH(int, stems);
    QFETCH(int, tails);
    QFETCH(bool, ascending);
    QFETCH(int, underCommon);

    const std::vector<std::string> texts = randomTexts(seed, count, stems, tails, underCommon);
    std::vector<std::string_view> views(texts.begin(), texts.end());
    std::vector<quint32> expected(texts.size());
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(), [&](quint32 a, quint32 b) {
        return ascending ? views[a] < views[b] : views[b] < views[a];
    });

    const std::vector<quint32> order = stableTextOrder(views, ascending);
    QCOMPARE(order.size(), expected.size());
    const auto mismatch = std::mismatch(order.begin(), order.end(), expected.begin());
    QVERIFY2(
        mismatch.first == order.end(),
        qPrintable(QStringLiteral("first difference at %1").arg(mismatch.first - order.begin())));
}

QTEST_APPLESS_MAIN(TestTextOrder)
#include "tst_text_order.moc"
