#include "analysis/ui/item_info_dialog.h"

#include "analysis/item_info_text.h"
#include "core/classification.h"
#include "core/platform.h"
#include "core/url_open.h"
#include "core/user_prompts.h"
#include "settings/settings.h"
#include "ui/icons.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// Pictures 141 to 144 are the list icons of the four browser families.
QIcon browserPicture(int pictureId)
{
    switch (pictureId) {
    case 141:
        return browserIcon(BrowserClass::IE);
    case 142:
        return browserIcon(BrowserClass::NN);
    case 143:
        return browserIcon(BrowserClass::WWWC);
    case 144:
        return browserIcon(BrowserClass::EXE);
    default:
        return {};
    }
}

QLineEdit* lineField(const QString& text, QWidget* parent)
{
    auto* field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    field->setCursorPosition(0);
    return field;
}

} // namespace

ItemInfoDialog::ItemInfoDialog(const ItemInfo& item, const Settings& settings, UserPrompts& prompts,
                               Platform& platform, UrlOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_item(item), m_settings(settings), m_prompts(prompts), m_platform(platform), m_opener(opener)
{
    setObjectName(u"frmItemInfo"_s);
    setWindowTitle(u"アイテムの情報"_s);
    setWindowIcon(applicationIcon());

    QWidget* frame = buildFields();
    m_toolBar = buildToolBar();
    m_close = new QPushButton(u"閉じる(&C)"_s, this);
    m_close->setObjectName(u"cmdClose"_s);
    m_close->setDefault(true);
    m_close->setAutoDefault(true);
    m_close->setMinimumWidth(m_close->fontMetrics().horizontalAdvance(u"閉じる(C)"_s) + 40);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_toolBar);
    bottom->addStretch();
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_close->setFocus();
}

ItemInfoDialog* ItemInfoDialog::showFor(const ItemInfo& item, const Settings& settings,
                                        UserPrompts& prompts, Platform& platform, UrlOpener& opener,
                                        QWidget* owner)
{
    auto* dialog = new ItemInfoDialog(item, settings, prompts, platform, opener, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

QWidget* ItemInfoDialog::buildFields()
{
    auto* frame = new QGroupBox(u"選択されたアイテムの情報"_s, this);
    frame->setObjectName(u"Frame1"_s);
    auto* grid = new QGridLayout(frame);

    for (int k = 0; k < kColumnCount; ++k) {
        QWidget* field = nullptr;
        if (k == ColPreviousPage) {
            auto* box = new QPlainTextEdit(m_item.record.field(k), frame);
            box->setReadOnly(true);
            box->setTabChangesFocus(true);
            box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            const int line = box->fontMetrics().lineSpacing();
            box->setFixedHeight(3 * line + 2 * (box->frameWidth() + 4));
            field = box;
        } else {
            field = lineField(m_item.record.field(k), frame);
        }
        field->setObjectName(u"txtItem(%1)"_s.arg(k));
        field->installEventFilter(this);
        m_fields.append(field);
    }
    const int width = m_fields.first()->fontMetrics().averageCharWidth() * 56;
    m_fields.first()->setMinimumWidth(width);

    static const std::array<QString, kColumnCount> captions = {
        u"ブラウザ(&B)："_s, u"ホスト(&H)："_s, u"&IP："_s, u"日付時間(&D)："_s, u"前回頁(&R)："_s};
    std::array<QLabel*, kColumnCount> labels{};
    for (int k = 0; k < kColumnCount; ++k) {
        labels[std::size_t(k)] = new QLabel(captions[std::size_t(k)], frame);
        labels[std::size_t(k)]->setBuddy(m_fields.at(k));
    }

    const BrowserDescription browser = describeBrowser(m_item.record.browser.toUtf8());
    m_picture = new QLabel(frame);
    m_picture->setObjectName(u"imgBrowser"_s);
    m_picture->setFixedSize(20, 20);
    m_picture->setAlignment(Qt::AlignCenter);
    if (browser.pictureId != 0)
        m_picture->setPixmap(browserPicture(browser.pictureId).pixmap(16, 16));
    m_picture->setToolTip(browser.name);

    // Browser over the whole width with its picture; host and IP side by side; then date-time
    // and the previous page over the whole width.
    grid->addWidget(labels[ColBrowser], 0, 0, 1, 2);
    auto* browserRow = new QHBoxLayout;
    browserRow->addWidget(m_fields.at(ColBrowser));
    browserRow->addWidget(m_picture);
    grid->addLayout(browserRow, 1, 0, 1, 2);
    grid->addWidget(labels[ColHost], 2, 0);
    grid->addWidget(labels[ColIP], 2, 1);
    grid->addWidget(m_fields.at(ColHost), 3, 0);
    grid->addWidget(m_fields.at(ColIP), 3, 1);
    grid->addWidget(labels[ColDateTime], 4, 0, 1, 2);
    grid->addWidget(m_fields.at(ColDateTime), 5, 0, 1, 2);
    grid->addWidget(labels[ColPreviousPage], 6, 0, 1, 2);
    grid->addWidget(m_fields.at(ColPreviousPage), 7, 0, 1, 2);
    addExtraFields(frame, grid, 8);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return frame;
}

void ItemInfoDialog::addExtraFields(QWidget* frame, QGridLayout* grid, int firstRow)
{
    // Under the five, each with its caption above it; status and bytes side by side, as host
    // and IP are.
    const QList<ItemInfo::Extra>& extras = m_item.extras;
    int row = firstRow;
    for (qsizetype i = 0; i < extras.size(); ++i, row += 2) {
        const bool pair = extras.at(i).field == ColStatus && i + 1 < extras.size() &&
                          extras.at(i + 1).field == ColBytes;
        for (int side = 0; side <= (pair ? 1 : 0); ++side) {
            const ItemInfo::Extra& extra = extras.at(i + side);
            QLineEdit* field = lineField(extra.text, frame);
            field->setObjectName(u"txtItem(%1)"_s.arg(extra.field));
            field->installEventFilter(this);
            m_fields.append(field);
            auto* label = new QLabel(columnCaption(extra.field) + u'：', frame);
            label->setBuddy(field);
            grid->addWidget(label, row, side, 1, pair ? 1 : 2);
            grid->addWidget(field, row + 1, side, 1, pair ? 1 : 2);
        }
        if (pair)
            ++i;
    }
}

QToolBar* ItemInfoDialog::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(u"tbrItemInfo"_s);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setStyleSheet(u"QToolBar { border: 0px; background: transparent; }"_s);

    struct Button {
        QString key;
        QIcon icon;
        QString toolTip;
    };
    const std::array<Button, 4> buttons = {{
        {u"SAVE"_s, toolbarIcon(u"SAVE"_s), u"すべての情報を保存"_s},
        {u"COPY"_s, toolbarIcon(u"COPY"_s), u"すべての情報をコピー"_s},
        {u"SEP"_s, {}, {}},
        {u"BROWS"_s, browserIcon(BrowserClass::IE), u"前回頁のURLを開く"_s},
    }};
    for (int position = 1; position <= 4; ++position) {
        const Button& b = buttons[std::size_t(position - 1)];
        QAction* action = b.key == u"SEP"_s ? bar->addSeparator() : bar->addAction(b.icon, {});
        action->setObjectName(b.key);
        action->setToolTip(b.toolTip);
        connect(action, &QAction::triggered, this, [this, position] { toolbarClicked(position); });
    }
    const QString& page = m_item.record.previousPage;
    bar->actions().at(3)->setEnabled(!page.isEmpty() && page.contains("http"_L1));
    return bar;
}

void ItemInfoDialog::toolbarClicked(int position)
{
    switch (position) {
    case 1:
        save();
        break;
    case 2:
        copy();
        break;
    case 4:
        openPreviousPage();
        break;
    default:
        break;
    }
}

void ItemInfoDialog::save()
{
    FileDialogRequest request;
    request.title = u"保存"_s;
    request.filter = u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"_s;
    request.filterIndex = 1;
    request.defaultExtension = u"txt"_s;
    request.initialFolder = m_settings.InitDir;
    request.confirmOverwrite = true;
    const QString path = m_prompts.saveFileName(request);
    if (path.isEmpty())
        return;
    if (!saveItemInfo(path, m_item))
        m_prompts.error(u"ファイルが書き込めませんでした。"_s);
}

void ItemInfoDialog::copy()
{
    m_platform.setClipboardText(itemInfoText(m_item));
    m_prompts.information(u"コピーしました。"_s);
}

void ItemInfoDialog::openPreviousPage()
{
    // The text stays as the row had it; only web and mail addresses leave the program.
    m_opener.openRowUrl(m_item.record.previousPage);
}

bool ItemInfoDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, watched, [watched] {
            if (auto* line = qobject_cast<QLineEdit*>(watched))
                line->selectAll();
            else if (auto* box = qobject_cast<QPlainTextEdit*>(watched))
                box->selectAll();
        });
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tw
