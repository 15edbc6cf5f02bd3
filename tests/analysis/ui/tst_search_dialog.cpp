#include "analysis/fake_search_target.h"
#include "analysis/search_controller.h"
#include "analysis/ui/search_dialog.h"
#include "core/log_list.h"
#include "settings/settings.h"
#include "support/log_rows.h"
#include "support/scripted_prompts.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

struct Rig {
    Rig()
    {
        test::appendHostRows(list,
                             {u"alpha.example.jp"_s, u"BETA.example.jp"_s, u"beta.example.jp"_s});
    }
    SearchDialog* show() { return SearchDialog::showInstance(&owner, settings, search); }
    QComboBox* combo() const { return owner.findChild<QComboBox*>(u"cmbSrchHist"_s); }
    QCheckBox* check() const { return owner.findChild<QCheckBox*>(u"chkBSString"_s); }
    QPushButton* button(int index) const
    {
        for (auto* b : owner.findChildren<QPushButton*>(u"cmdSearch"_s)) {
            if (b->property("index").toInt() == index)
                return b;
        }
        return nullptr;
    }
    void searchFor(const QString& text, int index = 0)
    {
        combo()->setEditText(text);
        QTest::mouseClick(button(index), Qt::LeftButton);
    }

    QWidget owner;
    LogList list;
    Settings settings;
    test::ScriptedPrompts prompts;
    test::FakeSearchTarget target;
    SearchController search{list, target, prompts};
};

QStringList numbered(int from, int to)
{
    QStringList texts;
    for (int i = to; i >= from; --i)
        texts.append(u"text%1"_s.arg(i));
    return texts;
}

} // namespace

class TestSearchDialog : public QObject {
    Q_OBJECT

private slots:
    void loadsFromSettings()
    {
        Rig rig;
        rig.settings.SearchMatchCase = 1;
        rig.settings.SearchHistory[0] = u"one"_s;
        rig.settings.SearchHistory[4] = u"two"_s;
        SearchDialog* dialog = rig.show();
        QCOMPARE(dialog->objectName(), u"frmSearch"_s);
        QCOMPARE(dialog->windowTitle(), u"検索"_s);
        QCOMPARE(dialog->size(), QSize(twipsToPixelsX(dialog, 6180), twipsToPixelsY(dialog, 1380)));
        QVERIFY(!dialog->isModal());
        QVERIFY(rig.check()->isChecked());
        QCOMPARE(rig.check()->text(), u"大文字と小文字を区別する(&S)"_s);
        QCOMPARE(dialog->history(), QStringList({u"one"_s, u"two"_s}));
        QCOMPARE(rig.combo()->currentText(), QString());
        QVERIFY(rig.button(0)->isDefault());
        QCOMPARE(rig.button(0)->text(), u"検索(&S)"_s);
        QCOMPARE(rig.button(1)->text(), u"次を検索(&N)"_s);
    }

    void historyKeepsTenMostRecentFirst()
    {
        Rig rig;
        SearchDialog* dialog = rig.show();
        for (int i = 1; i <= 11; ++i)
            rig.searchFor(u"text%1"_s.arg(i));
        QCOMPARE(dialog->history(), numbered(2, 11)); // text1 dropped out

        rig.searchFor(u"text5"_s, 1);
        QStringList expected = numbered(2, 11);
        expected.move(expected.indexOf(u"text5"_s), 0);
        QCOMPARE(dialog->history(), expected);
        QCOMPARE(rig.combo()->currentText(), u"text5"_s);

        rig.searchFor(QString());
        QCOMPARE(dialog->history(), expected); // an empty text is not kept
    }

    void buttonsSearchTheList()
    {
        Rig rig;
        rig.show();
        rig.searchFor(u"beta"_s);
        QCOMPARE(rig.target.selected, 1); // case ignored
        rig.target.current = 0;
        rig.check()->setChecked(true);
        rig.searchFor(u"beta"_s);
        QCOMPARE(rig.target.selected, 2); // case counts

        // Find next ignores the check box and the combo box's new text, which is still kept.
        rig.target.current = 0;
        rig.searchFor(u"BETA"_s);
        QCOMPARE(rig.target.selected, 1);
        rig.searchFor(u"other"_s, 1);
        QCOMPARE(rig.target.selected, 2);
        QCOMPARE(rig.show()->history().first(), u"other"_s);

        // Past the last row: the end message.
        rig.searchFor(u"other"_s, 1);
        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.boxes[0].text, u"検索が終了しました。"_s);
        QCOMPARE(rig.prompts.boxes[0].caption, u"情報"_s);
    }

    void findNextWithoutSearchBeeps()
    {
        Rig rig;
        rig.show();
        rig.searchFor(u"alpha"_s, 1);
        QCOMPARE(rig.prompts.beeps, 1);
        QCOMPARE(rig.target.selected, -1);
        QVERIFY(rig.prompts.boxes.isEmpty());
    }

    void enterRunsANewSearch()
    {
        Rig rig;
        rig.show();
        rig.combo()->setEditText(u"alpha"_s);
        QTest::keyClick(rig.combo(), Qt::Key_Return);
        QCOMPARE(rig.target.selected, 0);
    }

    void enterSearchesAfterOtherButtonsWereClicked()
    {
        Rig rig;
        SearchDialog* dialog = rig.show();
        QTest::mouseClick(rig.button(1), Qt::LeftButton); // find next, nothing to repeat yet
        QTest::mouseClick(rig.owner.findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());

        rig.show();
        rig.combo()->setEditText(u"beta"_s);
        QTest::keyClick(rig.combo(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QCOMPARE(rig.target.selected, 1);
        QCOMPARE(dialog->history().first(), u"beta"_s);
    }

    void closingStoresIntoSettings_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("cancel") << 0;
        QTest::newRow("escape") << 1;
        QTest::newRow("close box") << 2;
    }

    void closingStoresIntoSettings()
    {
        QFETCH(int, how);
        Rig rig;
        rig.settings.SearchHistory[9] = u"old"_s;
        SearchDialog* dialog = rig.show();
        rig.check()->setChecked(true);
        rig.searchFor(u"new"_s);
        QVERIFY(rig.settings.SearchHistory[0].isEmpty()); // not before the dialog closes
        if (how == 0)
            QTest::mouseClick(rig.owner.findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(rig.settings.SearchMatchCase, 1);
        QCOMPARE(rig.settings.SearchHistory[0], u"new"_s);
        QCOMPARE(rig.settings.SearchHistory[1], u"old"_s);
        for (std::size_t i = 2; i < 10; ++i)
            QVERIFY(rig.settings.SearchHistory[i].isEmpty());

        // Chosen again: the same dialog with the history and check box it had.
        QCOMPARE(rig.show(), dialog);
        QVERIFY(rig.check()->isChecked());
        QCOMPARE(dialog->history(), QStringList({u"new"_s, u"old"_s}));
    }
};

QTEST_MAIN(TestSearchDialog)
#include "tst_search_dialog.moc"
