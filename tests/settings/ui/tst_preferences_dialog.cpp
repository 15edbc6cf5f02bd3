#include "mainwindow/ui/log_list_view.h"
#include "settings/file_association.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/ui/preferences_dialog.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

const QString kFont = u"Noto Sans CJK JP"_s;

struct Rig {
    Rig()
        : association({dir.filePath(u"data"_s), dir.filePath(u"config"_s)},
                      u"/usr/bin/tallyweaver"_s, false)
    {
        settings.ShwTBar = settings.ShwSBar = 1;
        settings.LLineValue = 1;
        settings.Font_Name = kFont;
        settings.Font_Size = 9;
        settings.BrowserPath = u"/opt/browser/run"_s;
        settings.InitDir = u"/srv/logs"_s;
        settings.ALogMax = 20;
        settings.Pratform = {u"Linux"_s, QString(), u"FreeBSD"_s};
    }

    // A fresh dialog, as every opening builds one.
    std::unique_ptr<PreferencesDialog> open()
    {
        return std::make_unique<PreferencesDialog>(settings, prompts, association,
                                                   [this] { ++appearanceApplied; });
    }

    QTemporaryDir dir;
    Settings settings;
    test::ScriptedPrompts prompts;
    ListFileAssociation association;
    int appearanceApplied = 0;
};

template <typename W> W* child(const PreferencesDialog& d, const QString& name)
{
    W* w = d.findChild<W*>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}

QPushButton* button(const PreferencesDialog& d, int index)
{
    return child<QPushButton>(d, u"cmdWndButton(%1)"_s.arg(index));
}

} // namespace

class TestPreferencesDialog : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheSettings();
    void tabsAndPreview();
    void browserOptionEnablesThePathControls_data();
    void browserOptionEnablesThePathControls();
    void applyThenCancelKeepsWhatApplyStored();
    void okStoresEveryControlAndCloses();
    void fractionalFontShowsItsSizeButStoresWholePoints();
    void cancelledFontDialogChangesNothing();
    void fontSizesOutOfRangeAreBroughtIn_data();
    void fontSizesOutOfRangeAreBroughtIn();
    void previewFollowsTheCheckBoxes();
    void associationWrittenOnceAndRemovedByOk();
    void folderPicker();
    void applicationChooser();
    void listMaxStaysInRange();
    void picturesComeFromTheSeries();
};

void TestPreferencesDialog::opensWithTheSettings()
{
    Rig rig;
    auto d = rig.open();
    QCOMPARE(d->objectName(), u"frmPrefarence"_s);
    QCOMPARE(d->windowTitle(), u"設定"_s);
    QVERIFY(child<QCheckBox>(*d, u"chkLVFullSelect"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(*d, u"chkLVEnableGlid"_s)->isChecked());
    QCOMPARE(child<QLabel>(*d, u"lblFontStyle"_s)->text(), u"Noto Sans CJK JP 9Pt."_s);
    QCOMPARE(child<QSpinBox>(*d, u"txtListMax"_s)->value(), 20);
    QCOMPARE(child<QLineEdit>(*d, u"txtDefPath"_s)->text(), u"/srv/logs"_s);
    QCOMPARE(child<QLineEdit>(*d, u"txtBrowserPath"_s)->text(), u"/opt/browser/run"_s);
    QCOMPARE(child<QLineEdit>(*d, u"txtPFUserAdd(0)"_s)->text(), u"Linux"_s);
    QCOMPARE(child<QLineEdit>(*d, u"txtPFUserAdd(2)"_s)->text(), u"FreeBSD"_s);
    QVERIFY(!child<QCheckBox>(*d, u"chkAssTwvFile"_s)->isChecked());

    QCOMPARE(button(*d, 0)->text(), u"OK"_s);
    QCOMPARE(button(*d, 1)->text(), u"キャンセル"_s);
    QCOMPARE(button(*d, 2)->text(), u"適用"_s);
    QVERIFY(button(*d, 0)->isDefault());

    // Opening reads the association too.
    rig.association.setListFileAssociation(1);
    QVERIFY(child<QCheckBox>(*rig.open(), u"chkAssTwvFile"_s)->isChecked());
}

void TestPreferencesDialog::tabsAndPreview()
{
    Rig rig;
    auto d = rig.open();
    auto* tabs = child<QTabWidget>(*d, u"tabMain"_s);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), 0);
    const QStringList captions = {u"リストの設定"_s, u"ツールの設定"_s, u"全体の設定"_s};
    const QStringList tips = {u"リストの見た目などの設定を行います"_s,
                              u"ツール類の設定を行います"_s, u"Tallyweaver全体の設定を行います"_s};
    const QStringList keys = {u"TAB_LIST_PREF"_s, u"TAB_TOOL_PREF"_s, u"TAB_GEN_PREF"_s};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tabs->tabText(i), captions.at(i));
        QCOMPARE(tabs->tabToolTip(i), tips.at(i));
        QCOMPARE(tabs->tabBar()->tabData(i).toString(), keys.at(i));
        QCOMPARE(tabs->widget(i)->objectName(), u"fraPages(%1)"_s.arg(i + 1));
    }

    auto* preview = child<LogListView>(*d, u"lvwPreview"_s);
    const QAbstractItemModel* model = preview->model();
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(model->rowCount(), 8);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), u"Ver"_s);
    QCOMPARE(model->index(5, 0).data(Qt::UserRole).toString(), u"HOTJAVA"_s);
    QCOMPARE(model->index(6, 0).data().toString(), u"NeoPranet"_s);
    QCOMPARE(model->index(1, 1).data().toString(), u"5.5SP1"_s);
    QCOMPARE(model->index(7, 2).data().toString(), u"ちょっと有名なブラウザ"_s);
    QCOMPARE(Qt::Alignment(model->index(0, 2).data(Qt::TextAlignmentRole).toInt()),
             Qt::AlignRight | Qt::AlignVCenter);
    for (int r = 0; r < 8; ++r) {
        const QIcon icon = model->index(r, 0).data(Qt::DecorationRole).value<QIcon>();
        QVERIFY2(!icon.isNull() && !icon.pixmap(16, 16).isNull(), qPrintable(QString::number(r)));
    }
    QVERIFY(preview->font().family().startsWith(kFont) || preview->font().family() == kFont);
    QVERIFY(preview->fullRowSelect());
    QVERIFY(!preview->showGrid());
}

void TestPreferencesDialog::browserOptionEnablesThePathControls_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("standard browser") << 0;
    QTest::newRow("given application") << 1;
}

void TestPreferencesDialog::browserOptionEnablesThePathControls()
{
    QFETCH(int, mode);
    Rig rig;
    rig.settings.UrlOMode = mode;
    auto d = rig.open();
    auto* frame = child<QWidget>(*d, u"Frame2"_s);
    auto* path = child<QLineEdit>(*d, u"txtBrowserPath"_s);
    auto* browse = child<QPushButton>(*d, u"cmdBrowsFolder(1)"_s);
    auto* option0 = child<QRadioButton>(*d, u"optOpenBrowser(0)"_s);
    auto* option1 = child<QRadioButton>(*d, u"optOpenBrowser(1)"_s);
    QCOMPARE(option0->isChecked(), mode == 0);
    QCOMPARE(option1->isChecked(), mode == 1);
    for (QWidget* w : {frame, static_cast<QWidget*>(path), static_cast<QWidget*>(browse)})
        QCOMPARE(w->isEnabled(), mode == 1);
    QCOMPARE(path->text(), u"/opt/browser/run"_s); // kept while disabled

    (mode == 0 ? option1 : option0)->click();
    for (QWidget* w : {frame, static_cast<QWidget*>(path), static_cast<QWidget*>(browse)})
        QCOMPARE(w->isEnabled(), mode == 0);
    QCOMPARE(path->text(), u"/opt/browser/run"_s);
    QVERIFY(child<QPushButton>(*d, u"cmdBrowsFolder(0)"_s)->isEnabled());
}

void TestPreferencesDialog::applyThenCancelKeepsWhatApplyStored()
{
    Rig rig;
    auto d = rig.open();
    d->show();
    child<QCheckBox>(*d, u"chkLVEnableGlid"_s)->click();
    child<QLineEdit>(*d, u"txtDefPath"_s)->setText(u"/home/me/logs"_s);
    button(*d, 2)->click();
    QCOMPARE(rig.settings.LGridView, 1);
    QCOMPARE(rig.settings.InitDir, u"/home/me/logs"_s);
    QCOMPARE(rig.appearanceApplied, 1);
    QVERIFY(d->isVisible()); // 適用 leaves the dialog open

    child<QCheckBox>(*d, u"chkLVEnableGlid"_s)->click();
    child<QLineEdit>(*d, u"txtDefPath"_s)->setText(u"/tmp/other"_s);
    button(*d, 1)->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(rig.settings.LGridView, 1);
    QCOMPARE(rig.settings.InitDir, u"/home/me/logs"_s);
    QCOMPARE(rig.appearanceApplied, 1);
}

void TestPreferencesDialog::okStoresEveryControlAndCloses()
{
    Rig rig;
    const Settings before = rig.settings;
    auto d = rig.open();
    d->show();
    child<QCheckBox>(*d, u"chkLVFullSelect"_s)->click();
    child<QLineEdit>(*d, u"txtPFUserAdd(1)"_s)->setText(u" Mac OS X "_s);
    child<QLineEdit>(*d, u"txtBrowserPath"_s)->setText(u"/usr/bin/other browser"_s);
    child<QSpinBox>(*d, u"txtListMax"_s)->setValue(1500);
    child<QRadioButton>(*d, u"optOpenBrowser(1)"_s)->click();
    button(*d, 0)->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Accepted));

    Settings expected = before;
    expected.LLineValue = 0;
    expected.UrlOMode = 1;
    expected.Pratform[1] = u" Mac OS X "_s; // as typed
    expected.BrowserPath = u"/usr/bin/other browser"_s;
    expected.ALogMax = 1500;
    // The font comes back from the preview list: the same name and size, black text.
    QCOMPARE(rig.settings.Font_Size, 9);
    QVERIFY(rig.settings.Font_Name.startsWith(kFont));
    expected.Font_Name = rig.settings.Font_Name;
    QCOMPARE(rig.settings, expected);
    QCOMPARE(rig.appearanceApplied, 1);
}

void TestPreferencesDialog::fractionalFontShowsItsSizeButStoresWholePoints()
{
    Rig rig;
    ListFont chosen{kFont, 10, 1, 0, 1, 0, qint32(0x0000ff)};
    chosen.pointSizeF = 10.5;
    rig.prompts.fonts.enqueue(chosen);
    auto d = rig.open();
    auto* label = child<QLabel>(*d, u"lblFontStyle"_s);
    const qreal labelSize = label->font().pointSizeF();
    child<QPushButton>(*d, u"cmdCngFont"_s)->click();
    QCOMPARE(rig.prompts.fontDialogs, 1);
    QCOMPARE(label->text(), u"Noto Sans CJK JP 10.5Pt."_s);
    QCOMPARE(label->font().pointSizeF(), labelSize); // the sample keeps its size
    QVERIFY(label->font().bold());
    QVERIFY(label->font().underline());
    QCOMPARE(child<LogListView>(*d, u"lvwPreview"_s)->font().pointSizeF(), 10.5);

    button(*d, 0)->click();
    QCOMPARE(rig.settings.Font_Size, 10); // halves to even
    QCOMPARE(rig.settings.LstFontBld, 1);
    QCOMPARE(rig.settings.LstFontUnd, 1);
    QCOMPARE(rig.settings.LstFontItr, 0);
    QCOMPARE(rig.settings.Font_Color, qint32(0x0000ff));
    QCOMPARE(child<QLabel>(*rig.open(), u"lblFontStyle"_s)->text(), u"Noto Sans CJK JP 10Pt."_s);

    // 11.5 goes to 12.
    chosen.pointSizeF = 11.5;
    rig.prompts.fonts.enqueue(chosen);
    auto again = rig.open();
    child<QPushButton>(*again, u"cmdCngFont"_s)->click();
    QCOMPARE(child<QLabel>(*again, u"lblFontStyle"_s)->text(), u"Noto Sans CJK JP 11.5Pt."_s);
    again->apply();
    QCOMPARE(rig.settings.Font_Size, 12);
}

void TestPreferencesDialog::cancelledFontDialogChangesNothing()
{
    Rig rig;
    auto d = rig.open();
    const QFont previewFont = child<LogListView>(*d, u"lvwPreview"_s)->font();
    child<QPushButton>(*d, u"cmdCngFont"_s)->click();
    QCOMPARE(rig.prompts.fontDialogs, 1);
    QCOMPARE(child<QLabel>(*d, u"lblFontStyle"_s)->text(), u"Noto Sans CJK JP 9Pt."_s);
    QCOMPARE(child<LogListView>(*d, u"lvwPreview"_s)->font(), previewFont);
}

void TestPreferencesDialog::fontSizesOutOfRangeAreBroughtIn_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<double>("chosen");
    QTest::addColumn<int>("shown");
    QTest::newRow("from the settings file") << 32767 << 0.0 << 72;
    QTest::newRow("too small in the file") << 1 << 0.0 << 6;
    QTest::newRow("typed into the font dialog") << 9 << 500.0 << 72;
}

void TestPreferencesDialog::fontSizesOutOfRangeAreBroughtIn()
{
    QFETCH(int, stored);
    QFETCH(double, chosen);
    QFETCH(int, shown);
    Rig rig;
    rig.settings.Font_Size = stored;
    if (chosen > 0) {
        ListFont font{kFont, int(chosen), 0, 0, 0, 0, 0};
        font.pointSizeF = chosen;
        rig.prompts.fonts.enqueue(font);
    }
    auto d = rig.open();
    if (chosen > 0)
        child<QPushButton>(*d, u"cmdCngFont"_s)->click();
    QCOMPARE(child<LogListView>(*d, u"lvwPreview"_s)->font().pointSizeF(), double(shown));
    QCOMPARE(child<QLabel>(*d, u"lblFontStyle"_s)->text(), kFont + u" %1Pt."_s.arg(shown));
    button(*d, 2)->click();
    QCOMPARE(rig.settings.Font_Size, shown);
}

void TestPreferencesDialog::previewFollowsTheCheckBoxes()
{
    Rig rig;
    auto d = rig.open();
    auto* preview = child<LogListView>(*d, u"lvwPreview"_s);
    child<QCheckBox>(*d, u"chkLVEnableGlid"_s)->click();
    child<QCheckBox>(*d, u"chkLVFullSelect"_s)->click();
    QVERIFY(preview->showGrid());
    QVERIFY(!preview->fullRowSelect());
    QCOMPARE(rig.settings.LGridView, 0); // not before OK or 適用
    QCOMPARE(rig.settings.LLineValue, 1);
}

void TestPreferencesDialog::associationWrittenOnceAndRemovedByOk()
{
    Rig rig;
    auto d = rig.open();
    d->show();
    child<QCheckBox>(*d, u"chkAssTwvFile"_s)->click();
    button(*d, 2)->click();
    QVERIFY(rig.association.isListFileAssociated());
    // A second 適用 finds the association and writes nothing.
    QVERIFY(test::writeBytes(rig.association.desktopEntryPath(), "marker"));
    button(*d, 2)->click();
    QCOMPARE(test::readBytes(rig.association.desktopEntryPath()), QByteArray("marker"));
    QVERIFY(d->isVisible());

    child<QCheckBox>(*d, u"chkAssTwvFile"_s)->click();
    button(*d, 0)->click();
    QVERIFY(!rig.association.isListFileAssociated());
    QVERIFY(!QFile::exists(rig.association.desktopEntryPath()));
    QVERIFY(!QFile::exists(rig.association.mimePackagePath()));

    // OK with the box unchecked also when nothing was ever set.
    Rig fresh;
    auto other = fresh.open();
    button(*other, 0)->click();
    QVERIFY(!fresh.association.isListFileAssociated());
}

void TestPreferencesDialog::folderPicker()
{
    Rig rig;
    auto d = rig.open();
    auto* browse = child<QPushButton>(*d, u"cmdBrowsFolder(0)"_s);
    QCOMPARE(browse->toolTip(), u"クリックする事でフォルダ選択ダイアログを開きます"_s);
    rig.prompts.folders.enqueue(u"/home/me/access logs"_s);
    browse->click();
    QCOMPARE(rig.prompts.folderTitles, QStringList{u"デフォルトで開くフォルダ"_s});
    QCOMPARE(child<QLineEdit>(*d, u"txtDefPath"_s)->text(), u"/home/me/access logs"_s);
    browse->click(); // cancelled
    QCOMPARE(child<QLineEdit>(*d, u"txtDefPath"_s)->text(), u"/home/me/access logs"_s);
    QCOMPARE(rig.settings.InitDir, u"/srv/logs"_s);
}

void TestPreferencesDialog::applicationChooser()
{
    Rig rig;
    rig.settings.UrlOMode = 1;
    auto d = rig.open();
    auto* browse = child<QPushButton>(*d, u"cmdBrowsFolder(1)"_s);
    QCOMPARE(browse->toolTip(), u"クリックする事でファイル選択ダイアログを開きます"_s);
    browse->click(); // cancelled: the box keeps its text
    QCOMPARE(child<QLineEdit>(*d, u"txtBrowserPath"_s)->text(), u"/opt/browser/run"_s);
    QCOMPARE(rig.prompts.dialogs.size(), 1);
    const FileDialogRequest& request = rig.prompts.dialogs.first().request;
    QVERIFY(!rig.prompts.dialogs.first().save);
    QCOMPARE(request.title, u"URLを開くアプリケーションを指定"_s);
    QCOMPARE(request.filter, u"すべてのファイル(*)|*"_s);
    QCOMPARE(request.initialName, u"/opt/browser/run"_s);
    QVERIFY(request.mustExist);
    QVERIFY(request.defaultExtension.isEmpty());

    rig.prompts.fileNames.enqueue(u"/usr/bin/web browser"_s);
    browse->click();
    QCOMPARE(child<QLineEdit>(*d, u"txtBrowserPath"_s)->text(), u"/usr/bin/web browser"_s);
}

void TestPreferencesDialog::listMaxStaysInRange()
{
    Rig rig;
    auto d = rig.open();
    d->show();
    auto* box = child<QSpinBox>(*d, u"txtListMax"_s);
    QCOMPARE(box->minimum(), 0);
    QCOMPARE(box->maximum(), 32767);

    // Spinning past 999 shows a thousands separator; the number is stored.
    box->setValue(999);
    box->stepUp();
    QCOMPARE(box->text(), u"1,000"_s);
    button(*d, 2)->click();
    QCOMPARE(rig.settings.ALogMax, 1000);

    // Typing: a digit that would leave the range is refused.
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, u"40000"_s);
    button(*d, 2)->click();
    QVERIFY(rig.settings.ALogMax >= 0 && rig.settings.ALogMax <= 32767);
    QCOMPARE(rig.settings.ALogMax, 4000);

    box->selectAll();
    QTest::keyClicks(box, u"-5"_s);
    button(*d, 2)->click();
    QCOMPARE(rig.settings.ALogMax, 5);

    // An emptied box keeps its last number.
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    button(*d, 2)->click();
    QCOMPARE(rig.settings.ALogMax, 5);
}

void TestPreferencesDialog::picturesComeFromTheSeries()
{
    QSet<int> seen;
    for (int i = 0; i < 300; ++i) {
        const int n = nextPreferencePicture();
        QVERIFY(n >= 201 && n <= 211);
        seen.insert(n);
    }
    QCOMPARE(seen.size(), 11);

    Rig rig;
    auto d = rig.open();
    auto* picture = child<QLabel>(*d, u"imgPicture"_s);
    QCOMPARE(picture->property("picture").toInt(), d->pictureNumber());
    QVERIFY(!picture->pixmap().isNull());
    auto* banner = child<QLabel>(*d, u"imgSBanner"_s);
    QCOMPARE(banner->property("picture").toInt(), 202);
    QVERIFY(!banner->pixmap().isNull());
}

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferences_dialog.moc"
