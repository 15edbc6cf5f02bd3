#include "analysis/filter_text.h"
#include "core/access_record.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

class TestFilterText : public QObject {
    Q_OBJECT

private slots:
    void everyKindComesBackAsItWas();
    void damagedTextsAreRefused();
};

void TestFilterText::everyKindComesBackAsItWas()
{
    FilterParts parts;
    parts.withoutBots = true;
    // Characters the settings file's own encoding cannot hold, a private code mark included.
    const QString odd = u"検索 \"😀\" \\ \U000E0031 \t"_s;
    auto& c = parts.filter.conditions;
    c.push_back(FilterCondition::contains(ColHost, odd, true, true));
    c.push_back(FilterCondition::regex(kAnyField, u"^a(b|c)$"_s, false));
    c.push_back(FilterCondition::dateRange("2026/12/01 00:00:00", {}));
    const UserPlatforms user(QStringList{u"ｽﾏﾎ"_s, {}, {}});
    const std::vector<DrillDown> drills = {
        DrillDown::browser(BrowserClass(1)),
        DrillDown::platform(PlatformClass::User1, user),
        DrillDown::previousPage(u"http://例.jp/?q=1"_s.toUtf8()),
        DrillDown::hour(23),
        DrillDown::hostDomain(".example.jp"),
        DrillDown::visitorKey(VisitorStatistic::Pages, u"/検索"_s),
        DrillDown::day(QDate(2026, 12, 1))};
    for (const DrillDown& d : drills)
        c.push_back(FilterCondition::drillDown(d));
    c.push_back(
        FilterCondition::custom(u"unsaved"_s, [](const LogList&, qsizetype) { return true; }));

    const QString text = filterToText(parts);
    for (QChar ch : text)
        QVERIFY2(ch.unicode() < 0x80, qPrintable(text));
    const auto back = filterFromText(text);
    QVERIFY(back);
    QVERIFY(back->withoutBots);
    const auto& b = back->filter.conditions;
    QCOMPARE(b.size(), c.size() - 1); // the plain custom test cannot be kept
    for (std::size_t i = 0; i < b.size(); ++i) {
        QCOMPARE(b[i].kind, c[i].kind);
        QCOMPARE(b[i].field, c[i].field);
        QCOMPARE(b[i].text, c[i].text);
        QCOMPARE(b[i].matchCase, c[i].matchCase);
        QCOMPARE(b[i].negated, c[i].negated);
        QCOMPARE(b[i].from, c[i].from);
        QCOMPARE(b[i].until, c[i].until);
        QCOMPARE(b[i].drill, c[i].drill);
        QCOMPARE(b[i].label(), c[i].label());
        QCOMPARE(bool(b[i].test), bool(c[i].test));
    }
}

void TestFilterText::damagedTextsAreRefused()
{
    const QStringList damaged = {
        u""_s,
        u"[1]"_s,
        u"{\"version\":2,\"conditions\":[]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"contains\",\"field\":99}]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"date\",\"from\":\"2026/02/30 00:00:00\"}]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"drill\",\"statistic\":3,\"number\":24}]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"drill\",\"statistic\":77}]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"drill\",\"statistic\":5,\"number\":6}]}"_s,
        u"{\"version\":1,\"conditions\":[{\"kind\":\"what\"}]}"_s,
    };
    for (const QString& text : damaged)
        QVERIFY2(!filterFromText(text), qPrintable(text));
    QVERIFY(filterFromText(u"{\"version\":1,\"conditions\":[]}"_s));
}

QTEST_APPLESS_MAIN(TestFilterText)
#include "tst_filter_text.moc"
