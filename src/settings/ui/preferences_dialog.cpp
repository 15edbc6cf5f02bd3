#include "settings/ui/preferences_dialog.h"

#include "core/user_prompts.h"
#include "mainwindow/ui/log_list_view.h"
#include "settings/file_association.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/dialog_pictures.h"
#include "ui/icons.h"
#include "ui/list_font_dialog.h"
#include "ui/list_font_widgets.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

QString indexedName(const QString& group, int index)
{
    return group + u'(' + QString::number(index) + u')';
}

QLabel* pictureLabel(const QString& name, int number, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setProperty("picture", number);
    const QPixmap picture = dialogPicture(number);
    label->setPixmap(picture);
    label->setFixedSize(picture.size());
    return label;
}

QPushButton* browseButton(int index, const QString& toolTip, QWidget* parent)
{
    auto* button = new QPushButton(u"..."_s, parent);
    button->setObjectName(indexedName(u"cmdBrowsFolder"_s, index));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(u"....."_s) + 12);
    return button;
}

// The size the preview shows, which is brought into the sane range.
QString fontCaption(const QString& name, double points)
{
    return name + u' ' + QString::number(points > 0 ? saneListFontPoints(points) : points) +
           u"Pt."_s;
}

} // namespace

int nextPreferencePicture()
{
    // Default-seeded: the series starts over with every start of the program.
    static std::minstd_rand generator;
    const double r = double(generator() - std::minstd_rand::min()) /
                     (double(std::minstd_rand::max() - std::minstd_rand::min()) + 1.0);
    return 201 + int(r * 11);
}

PreferencesDialog::PreferencesDialog(Settings& settings, UserPrompts& prompts,
                                     ListFileAssociation& association,
                                     std::function<void()> applyAppearance, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_prompts(prompts), m_association(association),
      m_applyAppearance(std::move(applyAppearance))
{
    setObjectName(u"frmPrefarence"_s);
    setWindowTitle(u"設定"_s);
    setWindowIcon(applicationIcon());
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"tabMain"_s);
    struct Tab {
        QString key;
        QString caption;
        QString toolTip;
        QWidget* page;
    };
    const std::array<Tab, 3> tabs = {{
        {u"TAB_LIST_PREF"_s, u"リストの設定"_s, u"リストの見た目などの設定を行います"_s,
         buildListPage()},
        {u"TAB_TOOL_PREF"_s, u"ツールの設定"_s, u"ツール類の設定を行います"_s, buildToolPage()},
        {u"TAB_GEN_PREF"_s, u"全体の設定"_s, u"Tallyweaver全体の設定を行います"_s,
         buildGeneralPage()},
    }};
    for (int i = 0; i < 3; ++i) {
        const Tab& tab = tabs[std::size_t(i)];
        tab.page->setObjectName(indexedName(u"fraPages"_s, i + 1));
        m_tabs->addTab(tab.page, tab.caption);
        m_tabs->setTabToolTip(i, tab.toolTip);
        m_tabs->tabBar()->setTabData(i, tab.key);
    }
    m_tabs->setCurrentIndex(0);

    QLabel* banner = pictureLabel(u"imgSBanner"_s, 202, this);
    static const std::array<QString, 3> captions = {u"OK"_s, u"キャンセル"_s, u"適用"_s};
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(banner, 0, Qt::AlignVCenter);
    buttonRow->addStretch();
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(captions[std::size_t(i)], this);
        button->setObjectName(indexedName(u"cmdWndButton"_s, i));
        button->setAutoDefault(false);
        button->setMinimumWidth(twipsToPixelsX(this, 1095));
        connect(button, &QPushButton::clicked, this, [this, i] { buttonClicked(i); });
        buttonRow->addWidget(button, 0, Qt::AlignBottom);
        m_buttons[std::size_t(i)] = button;
    }
    m_buttons[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    loadFromSettings();
}

QWidget* PreferencesDialog::buildListPage()
{
    auto* page = new QWidget;

    m_preview = new LogListView(page);
    m_preview->setObjectName(u"lvwPreview"_s);
    m_preview->horizontalHeader()->setSectionsClickable(false);
    m_previewModel = new QStandardItemModel(0, 3, m_preview);
    fillPreview();
    m_preview->setModel(m_previewModel);
    m_preview->selectRow(0); // shows what full-row selection changes
    static const std::array<int, 3> widths = {2080, 620, 2720};
    int total = 0;
    for (int c = 0; c < 3; ++c) {
        // Wider where the font needs it, so that no sample text is cut.
        m_preview->resizeColumnToContents(c);
        const int w =
            std::max(twipsToPixelsX(this, widths[std::size_t(c)]), m_preview->columnWidth(c) + 8);
        m_preview->setColumnWidth(c, w);
        total += w;
    }
    m_preview->setMinimumWidth(total + 2 * m_preview->frameWidth() +
                               m_preview->verticalScrollBar()->sizeHint().width());
    m_preview->setFixedHeight(m_preview->horizontalHeader()->sizeHint().height() +
                              8 * m_preview->verticalHeader()->defaultSectionSize() +
                              2 * m_preview->frameWidth() + 4);

    m_grid = new QCheckBox(u"グリッドを表示する(&G)"_s, page);
    m_grid->setObjectName(u"chkLVEnableGlid"_s);
    connect(m_grid, &QCheckBox::toggled, m_preview, &QTableView::setShowGrid);
    m_fullRow = new QCheckBox(u"一列単位で選択可能にする(&L)"_s, page);
    m_fullRow->setObjectName(u"chkLVFullSelect"_s);
    connect(m_fullRow, &QCheckBox::toggled, m_preview, &LogListView::setFullRowSelect);

    auto* fontButton = new QPushButton(u"フォントの変更(&F)"_s, page);
    fontButton->setObjectName(u"cmdCngFont"_s);
    fontButton->setAutoDefault(false);
    connect(fontButton, &QPushButton::clicked, this, &PreferencesDialog::changeFont);
    m_fontStyle = new QLabel(page);
    m_fontStyle->setObjectName(u"lblFontStyle"_s);
    m_fontStyle->setFrameShape(QFrame::StyledPanel);
    m_fontStyle->setFrameShadow(QFrame::Sunken);
    m_fontStyle->setAlignment(Qt::AlignCenter);
    m_fontStyle->setMinimumHeight(twipsToPixelsY(this, 495));

    m_pictureNumber = nextPreferencePicture();
    m_picture = pictureLabel(u"imgPicture"_s, m_pictureNumber, page);

    auto* checks = new QVBoxLayout;
    checks->addWidget(m_grid);
    checks->addWidget(m_fullRow);
    checks->addStretch();
    auto* lower = new QGridLayout;
    lower->addLayout(checks, 0, 0);
    lower->addWidget(m_picture, 0, 1, Qt::AlignRight | Qt::AlignTop);
    lower->addWidget(fontButton, 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    lower->addWidget(m_fontStyle, 1, 1);
    lower->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_preview);
    layout->addLayout(lower);
    return page;
}

void PreferencesDialog::fillPreview()
{
    struct Row {
        const char16_t* key;
        const char16_t* browser;
        const char16_t* version;
        const char16_t* comment;
    };
    static const Row rows[] = {
        {u"NN", u"Netscape", u"6.0", u"作者御用達のブラウザ"},
        {u"IE", u"Internet Explorer", u"5.5SP1", u"事実上の標準ブラウザ"},
        {u"MOSAIC", u"Mosaic", u"3.0", u"現在のブラウザの先駆"},
        {u"LYNX", u"Lynx", u"2.8.2", u"有名テキストブラウザ"},
        {u"AMAYA", u"Amaya", u"4.2.1", u"W3Cの作ったブラウザ"},
        {u"HOTJAVA", u"HotJava", u"1.1.2", u"SunMicrosystemsの作ったブラウザ"},
        {u"NEO", u"NeoPranet", u"2.1", u"Mozillaエンジン搭載ブラウザ"},
        {u"OPERA", u"Opera", u"3.62", u"ちょっと有名なブラウザ"},
    };
    m_previewModel->setHorizontalHeaderLabels({u"ブラウザ"_s, u"Ver"_s, u"コメント"_s});
    for (int c = 1; c < 3; ++c)
        m_previewModel->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignRight |
                                                                  Qt::AlignVCenter);
    for (const Row& row : rows) {
        auto* browser = new QStandardItem(previewBrowserIcon(QString::fromUtf16(row.key)),
                                          QString::fromUtf16(row.browser));
        browser->setData(QString::fromUtf16(row.key), Qt::UserRole);
        auto* version = new QStandardItem(QString::fromUtf16(row.version));
        auto* comment = new QStandardItem(QString::fromUtf16(row.comment));
        for (QStandardItem* item : {browser, version, comment})
            item->setEditable(false);
        version->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        comment->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_previewModel->appendRow({browser, version, comment});
    }
}

QWidget* PreferencesDialog::buildToolPage()
{
    auto* page = new QWidget;

    auto* access = new QGroupBox(u"アクセス情報統計(&A)"_s, page);
    access->setObjectName(u"Frame4"_s);
    m_listMax = new QSpinBox(access);
    m_listMax->setObjectName(u"txtListMax"_s);
    // Typing cannot leave the range: a digit that would is refused, and an emptied box goes
    // back to its last number.
    m_listMax->setRange(0, 32767);
    m_listMax->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    m_listMax->setGroupSeparatorShown(true);
    m_listMax->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    m_listMax->setMinimumWidth(m_listMax->fontMetrics().horizontalAdvance(u"32,767"_s) + 48);
    auto* maxLabel = new QLabel(u"表示するリストの最大値(&L)："_s, access);
    maxLabel->setBuddy(m_listMax);
    auto* accessRow = new QHBoxLayout(access);
    accessRow->addWidget(maxLabel);
    accessRow->addWidget(m_listMax);
    accessRow->addWidget(new QLabel(u"(0ですべて表示)"_s, access));
    accessRow->addStretch();

    auto* platform = new QGroupBox(u"プラットフォーム統計(&P)"_s, page);
    platform->setObjectName(u"Frame3"_s);
    auto* grid = new QGridLayout(platform);
    auto* note =
        new QLabel(u"リストの「ブラウザ」に含まれる情報内から、統計を取りたいプラットフォーム"
                   "の文字列を指定します。 (ex. Windows 95, Macintosh)"_s,
                   platform);
    note->setWordWrap(true);
    grid->addWidget(note, 0, 0, 1, 2);
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(platform);
        edit->setObjectName(indexedName(u"txtPFUserAdd"_s, i));
        auto* label = new QLabel(u"ユーザー追加&%1："_s.arg(i + 1), platform);
        label->setBuddy(edit);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(edit, i + 1, 1);
        m_platforms[std::size_t(i)] = edit;
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(access);
    layout->addWidget(platform);
    layout->addStretch();
    return page;
}

QWidget* PreferencesDialog::buildGeneralPage()
{
    auto* page = new QWidget;

    m_defaultPath = new QLineEdit(page);
    m_defaultPath->setObjectName(u"txtDefPath"_s);
    auto* pathLabel = new QLabel(u"デフォルトで開くフォルダのパス(&D)："_s, page);
    pathLabel->setBuddy(m_defaultPath);
    m_browse[0] = browseButton(0, u"クリックする事でフォルダ選択ダイアログを開きます"_s, page);
    connect(m_browse[0], &QPushButton::clicked, this, &PreferencesDialog::chooseDefaultFolder);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_defaultPath);
    pathRow->addWidget(m_browse[0]);

    static const std::array<QString, 2> options = {u"URLを標準のブラウザで開く(&E)"_s,
                                                   u"URLを指定したアプリケーションで開く(&S)"_s};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(options[std::size_t(i)], page);
        option->setObjectName(indexedName(u"optOpenBrowser"_s, i));
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                setBrowserOption(i);
        });
        m_openBrowser[std::size_t(i)] = option;
    }

    auto* browserFrame = new QGroupBox(page);
    browserFrame->setObjectName(u"Frame2"_s);
    m_browserFrame = browserFrame;
    m_browserPath = new QLineEdit(browserFrame);
    m_browserPath->setObjectName(u"txtBrowserPath"_s);
    m_browse[1] =
        browseButton(1, u"クリックする事でファイル選択ダイアログを開きます"_s, browserFrame);
    connect(m_browse[1], &QPushButton::clicked, this, &PreferencesDialog::chooseBrowser);
    auto* browserRow = new QHBoxLayout(browserFrame);
    browserRow->addWidget(m_browserPath);
    browserRow->addWidget(m_browse[1]);

    auto* association = new QGroupBox(u"関連づけ(&A)"_s, page);
    association->setObjectName(u"Frame1"_s);
    m_associate = new QCheckBox(u"*.twvのファイルを関連づけする(&S)"_s, association);
    m_associate->setObjectName(u"chkAssTwvFile"_s);
    auto* note = new QLabel(u"関連づけをすると、twvという拡張子のファイルをダブルクリックすることで"
                            "そのファイルを開けるようになります。"_s,
                            association);
    note->setWordWrap(true);
    auto* associationColumn = new QVBoxLayout(association);
    associationColumn->addWidget(m_associate);
    associationColumn->addWidget(note);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pathLabel);
    layout->addLayout(pathRow);
    layout->addSpacing(8);
    layout->addWidget(m_openBrowser[0]);
    layout->addWidget(m_openBrowser[1]);
    layout->addWidget(browserFrame);
    layout->addWidget(association);
    layout->addStretch();
    return page;
}

void PreferencesDialog::loadFromSettings()
{
    m_listMax->setValue(m_settings.ALogMax);

    m_fullRow->setChecked(m_settings.LLineValue != 0);
    m_grid->setChecked(m_settings.LGridView != 0);
    const ListFont font = listFontOf(m_settings);
    applyListFont(font, *m_preview);
    m_preview->setFullRowSelect(m_settings.LLineValue != 0);
    m_preview->setShowGrid(m_settings.LGridView != 0);
    applyListFont(font, *m_fontStyle);
    m_fontStyle->setText(fontCaption(m_settings.Font_Name, m_settings.Font_Size));

    m_defaultPath->setText(m_settings.InitDir);
    const int option = m_settings.UrlOMode != 0 ? 1 : 0;
    m_openBrowser[std::size_t(option)]->setChecked(true);
    setBrowserOption(option); // also when the option was already selected
    m_browserPath->setText(m_settings.BrowserPath);
    m_associate->setChecked(m_association.isListFileAssociated());
    for (int i = 0; i < 3; ++i)
        m_platforms[std::size_t(i)]->setText(m_settings.Pratform[std::size_t(i)]);
}

void PreferencesDialog::setBrowserOption(int index)
{
    const bool on = index == 1;
    m_browserFrame->setEnabled(on);
    m_browserPath->setEnabled(on);
    m_browse[1]->setEnabled(on);
}

void PreferencesDialog::changeFont()
{
    ListFont initial = readListFont(*m_preview);
    initial.pointSizeF = m_preview->font().pointSizeF();
    const std::optional<ListFont> chosen = m_prompts.chooseFont(initial);
    if (!chosen)
        return;

    const double points = chosen->pointSizeF > 0 ? chosen->pointSizeF : chosen->size;
    m_fontStyle->setText(fontCaption(chosen->name, points));
    // The sample keeps its own size.
    ListFont sample = *chosen;
    sample.size = 0;
    sample.pointSizeF = 0;
    applyListFont(sample, *m_fontStyle);
    // Reaches the settings through the preview at "OK" or "適用", in whole points.
    applyListFont(*chosen, *m_preview);
}

void PreferencesDialog::chooseDefaultFolder()
{
    const QString folder = m_prompts.chooseFolder(u"デフォルトで開くフォルダ"_s, QString());
    if (!folder.isEmpty())
        m_defaultPath->setText(folder);
}

void PreferencesDialog::chooseBrowser()
{
    // Programs on this system carry no extension, so every file is offered and none is added.
    FileDialogRequest request;
    request.title = u"URLを開くアプリケーションを指定"_s;
    request.filter = u"すべてのファイル(*)|*"_s;
    request.filterIndex = 1;
    request.initialName = m_browserPath->text();
    request.mustExist = true;
    const QString path = m_prompts.openFileName(request);
    if (!path.isEmpty())
        m_browserPath->setText(path);
}

void PreferencesDialog::buttonClicked(int index)
{
    switch (index) {
    case 0:
        apply();
        accept();
        break;
    case 1:
        reject();
        break;
    case 2:
        apply();
        break;
    default:
        break;
    }
}

void PreferencesDialog::apply()
{
    m_settings.LLineValue = m_fullRow->isChecked() ? 1 : 0;
    m_settings.LGridView = m_grid->isChecked() ? 1 : 0;
    setListFont(m_settings, readListFont(*m_preview));
    m_settings.InitDir = m_defaultPath->text();
    m_settings.UrlOMode = m_openBrowser[1]->isChecked() ? 1 : 0;
    m_settings.BrowserPath = m_browserPath->text();
    for (int i = 0; i < 3; ++i)
        m_settings.Pratform[std::size_t(i)] = m_platforms[std::size_t(i)]->text();
    m_listMax->interpretText();
    m_settings.ALogMax = m_listMax->value();
    m_association.setListFileAssociation(m_associate->isChecked() ? 1 : 0);
    if (m_applyAppearance)
        m_applyAppearance();
}

} // namespace tw
