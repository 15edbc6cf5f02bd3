#include "analysis/search.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "support/log_rows.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

using test::appendRows;

// The plain meaning of a match: leave out code marks and lower-case both (unless case counts),
// then find the text in one of the five texts; an empty text matches a row with any non-empty
// text.
bool referenceMatch(const QStringList& fields, const QString& text, bool matchCase)
{
    const QString characters = cp932::withoutCodeMarks(text);
    const QString needle = matchCase ? characters : characters.toLower();
    for (const QString& marked : fields) {
        const QString field = cp932::withoutCodeMarks(marked);
        const QString hay = matchCase ? field : field.toLower();
        if (needle.isEmpty() ? !hay.isEmpty() : hay.contains(needle))
            return true;
    }
    return false;
}

// 0x8790 as read from a file: the character and the mark of its other code.
const QString kNearlyEqualNec = u"≒"_s + QString::fromUcs4(&cp932::kCodeMarkFirst, 1);

const QList<QStringList> kRows = {
    {u"Mozilla/4.0"_s, u"a.b.example.jp"_s, u"10.0.0.1"_s, u"2001/05/01 09:00"_s, u"http://x/"_s},
    {u"WWWC/1.0"_s, u"c.d.example.jp"_s, u"10.0.0.2"_s, u"2001/05/01 10:00"_s, u"http://y/"_s},
    {u"MOZILLA/5.0"_s, u"e.f.example.jp"_s, u"10.0.0.3"_s, u"2001/05/01 11:00"_s, u"http://z/"_s},
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void rowMatch_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("match");
        const QStringList row = {u"Mozilla/4.0 (MSIE)"_s, u"Host.Example.JP"_s, u"192.168.7.8"_s,
                                 u"2001/05/01 09:05"_s, u"http://例え.jp/ＡＢＣ"_s};
        QTest::newRow("only in the IP column") << row << u"168.7"_s << true << true;
        QTest::newRow("lower finds upper, case ignored")
            << row << u"host.example"_s << false << true;
        QTest::newRow("lower misses upper, case counts")
            << row << u"host.example"_s << true << false;
        QTest::newRow("upper finds lower, case ignored") << row << u"MOZILLA"_s << false << true;
        QTest::newRow("full-width, case ignored") << row << u"ａｂｃ"_s << false << true;
        QTest::newRow("full-width, case counts") << row << u"ａｂｃ"_s << true << false;
        QTest::newRow("full-width exact") << row << u"ＡＢＣ"_s << true << true;
        QTest::newRow("Japanese and ASCII") << row << u"例え.JP/"_s << false << true;
        QTest::newRow("not across two texts") << row << u"JP192"_s << false << false;
        QTest::newRow("not across two texts, case counts") << row << u")Host"_s << true << false;
        QTest::newRow("whole text") << row << u"2001/05/01 09:05"_s << true << true;
        QTest::newRow("absent") << row << u"nowhere"_s << false << false;
        QTest::newRow("empty text, some text")
            << QStringList{QString(), QString(), u"x"_s} << QString() << true << true;
        QTest::newRow("empty text, empty row") << QStringList{} << QString() << false << false;
        QTest::newRow("kelvin sign folds to k")
            << QStringList{u"\u212Aelvin"_s} << u"kelvin"_s << false << true;
        QTest::newRow("dotted capital I")
            << QStringList{u"\u0130stanbul"_s} << u"i"_s << false << true;
        QTest::newRow("sharp s stays")
            << QStringList{u"Straße"_s} << u"STRASSE"_s << false << false;
        QTest::newRow("Greek capitals") << QStringList{u"ΑΘΗΝΑ"_s} << u"αθηνα"_s << false << true;
        QTest::newRow("beyond the BMP")
            << QStringList{u"\U00010400"_s} << u"\U00010428"_s << false << true;
        // A character is found whichever of its codes the file held.
        const QStringList marked = {u"x"_s, u"A"_s + kNearlyEqualNec + u"B"_s};
        QTest::newRow("character of another code, text after it")
            << marked << u"≒B"_s << true << true;
        QTest::newRow("character of another code, case ignored")
            << marked << u"a≒b"_s << false << true;
        QTest::newRow("text with a mark finds the character's own code")
            << QStringList{u"A≒B"_s} << u"A"_s + kNearlyEqualNec + u"B"_s << true << true;
        QTest::newRow("marks do not join two texts")
            << QStringList{kNearlyEqualNec, u"B"_s} << u"≒B"_s << true << false;
    }
    void rowMatch()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(bool, match);
        LogList list;
        appendRows(list, {fields});
        QCOMPARE(RowMatcher(text, matchCase).matches(list.row(0)), match);
        QCOMPARE(referenceMatch(fields, text, matchCase), match);
    }

    // Byte-level matching against plain string matching on random rows of mixed scripts.
    void rowMatchAgreesWithStrings()
    {
        const QStringList pieces = {
            u"a"_s,      u"B"_s, u"b"_s,      u"z"_s, u"Ａ"_s,         u"ａ"_s, u"例"_s,
            u"\u212A"_s, u"k"_s, u"\u0130"_s, u"i"_s, u"ß"_s,          u"Σ"_s,  u"σ"_s,
            u"."_s,      u"/"_s, u"ﾊ"_s,      u"①"_s, u"\U00010400"_s, u"≒"_s,  kNearlyEqualNec};
        QRandomGenerator random(2024);
        auto randomText = [&](int maxPieces) {
            QString text;
            const int n = random.bounded(maxPieces + 1);
            for (int i = 0; i < n; ++i)
                text += pieces.at(random.bounded(int(pieces.size())));
            return text;
        };
        struct Case {
            QStringList fields;
            QString text;
            bool matchCase;
        };
        QList<Case> cases;
        QList<QStringList> rows;
        for (int round = 0; round < 20000; ++round) {
            QStringList fields;
            for (int k = 0; k < kColumnCount; ++k)
                fields << randomText(4);
            cases.append({fields, randomText(3), random.bounded(2) == 1});
            rows.append(fields);
        }
        LogList list;
        appendRows(list, rows);
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const Case& c = cases.at(i);
            const bool expected = referenceMatch(c.fields, c.text, c.matchCase);
            if (RowMatcher(c.text, c.matchCase).matches(list.row(i)) != expected) {
                QFAIL(qPrintable(u"differs for [%1] in [%2], case %3"_s.arg(
                    c.text, c.fields.join(u'|'), c.matchCase ? u"counts"_s : u"ignored"_s)));
            }
        }
    }

    void newSearchStartsAtCurrentRow()
    {
        LogList list;
        appendRows(list, kRows);
        SearchState state;
        FindResult r = findInList(state, list, 0, false, u"mozilla"_s, -1);
        QCOMPARE(r.outcome, FindOutcome::Found);
        QCOMPARE(r.row, 0);
        QCOMPARE(state.position, 2);
        // The current row itself matches: found again.
        r = findInList(state, list, 0, false, u"mozilla"_s, 0);
        QCOMPARE(r.row, 0);
        // Without a current row the kept position is used.
        r = findInList(state, list, 0, false, u"mozilla"_s, -1);
        QCOMPARE(r.row, 2);
    }

    void caseRules()
    {
        LogList list;
        appendRows(list, kRows);
        SearchState state;
        // Case counts: the lower-case text does not find "MOZILLA" in row 3.
        FindResult r = findInList(state, list, 0, true, u"Mozilla"_s, -1);
        QCOMPARE(r.row, 0);
        QCOMPARE(state.text, u"Mozilla"_s);
        // Find next ignores case whatever the check box says, and keeps the lowered text.
        r = findInList(state, list, 1, true, u"ignored text"_s, -1);
        QCOMPARE(r.outcome, FindOutcome::Found);
        QCOMPARE(r.row, 2);
        QCOMPARE(state.text, u"mozilla"_s);
        // A new search with case counted from the first row finds only row 1.
        state = {};
        r = findInList(state, list, 0, true, u"MOZILLA"_s, -1);
        QCOMPARE(r.row, 2);
    }

    void endOfListAndRestart()
    {
        LogList list;
        appendRows(list, kRows);
        SearchState state;
        FindResult r = findInList(state, list, 0, false, u"http://z/"_s, -1);
        QCOMPARE(r.row, 2);
        // Found on the last row: the next find next ends at once...
        r = findInList(state, list, 1, false, QString(), 2);
        QCOMPARE(r.outcome, FindOutcome::EndReached);
        QCOMPARE(state.position, 1);
        // ...and the one after starts again at row 1.
        r = findInList(state, list, 1, false, QString(), 2);
        QCOMPARE(r.row, 2);
        // No match between the position and the end.
        state.position = 1;
        r = findInList(state, list, 0, false, u"nowhere"_s, -1);
        QCOMPARE(r.outcome, FindOutcome::EndReached);
        QCOMPARE(state.position, 1);
    }

    void emptyTexts()
    {
        LogList list;
        appendRows(list, {{}, {QString(), QString(), QString(), QString(), u"p"_s}, {u"b"_s}});
        SearchState state;
        QCOMPARE(findInList(state, list, 1, false, u"x"_s, -1).outcome, FindOutcome::Beep);
        QCOMPARE(state.position, 0);
        // An empty text finds the first row with any non-empty text.
        FindResult r = findInList(state, list, 0, false, QString(), -1);
        QCOMPARE(r.outcome, FindOutcome::Found);
        QCOMPARE(r.row, 1);
        // Find next after a new search for the empty text only beeps.
        QCOMPARE(findInList(state, list, 1, false, QString(), 1).outcome, FindOutcome::Beep);
        QCOMPARE(state.position, 3);
    }

    void emptyList()
    {
        LogList list;
        SearchState state{u"abc"_s, 7};
        FindResult r = findInList(state, list, 1, false, QString(), -1);
        QCOMPARE(r.outcome, FindOutcome::EndReached);
        QCOMPARE(r.row, -1);
        QCOMPARE(state.position, 1);
        state = {};
        QCOMPARE(findInList(state, list, 0, true, u"x"_s, -1).outcome, FindOutcome::EndReached);
        QCOMPARE(state.position, 1);
        QCOMPARE(state.text, u"x"_s);
    }

    void rowsDeletedBehindThePosition()
    {
        LogList list;
        appendRows(list, kRows);
        SearchState state;
        QCOMPARE(findInList(state, list, 0, false, u"z/"_s, -1).row, 2);
        list.removeRows({1, 2});
        FindResult r = findInList(state, list, 1, false, QString(), -1);
        QCOMPARE(r.outcome, FindOutcome::EndReached);
        QCOMPARE(state.position, 1);
        r = findInList(state, list, 1, false, QString(), -1);
        QCOMPARE(r.outcome, FindOutcome::EndReached); // row 1 does not hold "z/"
    }

    void positionIsWide()
    {
        LogList list;
        appendRows(list, kRows);
        SearchState state{u"x"_s, qint64(1) << 40};
        QCOMPARE(findInList(state, list, 1, false, QString(), -1).outcome, FindOutcome::EndReached);
        QCOMPARE(state.position, 1);
    }

    void history_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << u"a"_s << QStringList{u"a"_s};
        QTest::newRow("empty text changes nothing")
            << QStringList{u"a"_s} << QString() << QStringList{u"a"_s};
        QTest::newRow("known text moves to the top")
            << QStringList{u"a"_s, u"b"_s, u"c"_s} << u"c"_s << QStringList{u"c"_s, u"a"_s, u"b"_s};
        QTest::newRow("already on top")
            << QStringList{u"a"_s, u"b"_s} << u"a"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("exact comparison")
            << QStringList{u"a"_s} << u"A"_s << QStringList{u"A"_s, u"a"_s};
        QStringList ten;
        for (int i = 10; i >= 1; --i)
            ten << QString::number(i);
        QStringList pushed = QStringList{u"11"_s} + ten.mid(0, 9);
        QTest::newRow("eleventh pushes the oldest out") << ten << u"11"_s << pushed;
        QStringList moved = QStringList{u"1"_s} + ten.mid(0, 9);
        QTest::newRow("oldest moves to the top") << ten << u"1"_s << moved;
    }
    void history()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(QStringList, after);
        addToSearchHistory(before, text);
        QCOMPARE(before, after);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
