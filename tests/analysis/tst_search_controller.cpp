#include "analysis/fake_search_target.h"
#include "analysis/search_controller.h"
#include "core/log_list.h"
#include "support/log_rows.h"
#include "support/scripted_prompts.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Rig {
    explicit Rig(const QStringList& hosts) { test::appendHostRows(list, hosts); }
    int endMessages() const
    {
        int n = 0;
        for (const auto& box : prompts.boxes) {
            n += box.caption == u"情報"_s && box.text == u"検索が終了しました。"_s &&
                 box.icon == MessageIcon::Information;
        }
        return n;
    }

    LogList list;
    test::FakeSearchTarget target;
    test::ScriptedPrompts prompts;
    SearchController search{list, target, prompts};
};

} // namespace

class TestSearchController : public QObject {
    Q_OBJECT

private slots:
    void findNextAfterTheLastRow()
    {
        Rig rig({u"a.example.jp"_s, u"b.example.jp"_s, u"HIT.example.jp"_s});
        rig.search.find(0, false, u"hit"_s);
        QCOMPARE(rig.target.selected, 2);
        QCOMPARE(rig.prompts.boxes.size(), 0);
        QCOMPARE(rig.target.searches, 1);

        rig.search.findNext();
        QCOMPARE(rig.endMessages(), 1);
        QCOMPARE(rig.target.selected, -1); // the end deselects
        QCOMPARE(rig.search.state().position, 1);

        // Starts again at the first row.
        rig.search.findNext();
        QCOMPARE(rig.target.selected, 2);
        QCOMPARE(rig.endMessages(), 1);
        QCOMPARE(rig.target.searches, 3);
        QVERIFY(!rig.target.touchedWhileSearching);
    }

    void findNextWithoutTextOnlyBeeps()
    {
        Rig rig({u"a"_s});
        rig.target.current = 0;
        rig.search.findNext();
        QCOMPARE(rig.prompts.beeps, 1);
        QCOMPARE(rig.target.clears, 0);
        QCOMPARE(rig.prompts.boxes.size(), 0);

        // A new search for the empty text leaves nothing to find next either.
        rig.search.find(0, false, QString());
        QCOMPARE(rig.target.selected, 0);
        rig.search.findNext();
        QCOMPARE(rig.prompts.beeps, 2);
    }

    void emptyListEndsAtOnce()
    {
        Rig rig({});
        rig.search.find(0, false, u"x"_s);
        QCOMPARE(rig.endMessages(), 1);
        QCOMPARE(rig.target.clears, 0);
        QCOMPARE(rig.search.state().position, 1);
    }
};

QTEST_GUILESS_MAIN(TestSearchController)
#include "tst_search_controller.moc"
