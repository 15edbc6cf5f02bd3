#include "analysis/ui/search_dialog.h"

#include "analysis/search_controller.h"
#include "settings/settings.h"
#include "ui/icons.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tw {

SearchDialog::SearchDialog(Settings& settings, SearchController& search, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_search(search)
{
    setObjectName(u"frmSearch"_s);
    setWindowTitle(u"検索"_s);
    setWindowIcon(applicationIcon());
    setFixedSize(twipsToPixelsX(this, 6180), twipsToPixelsY(this, 1380));
    const auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsToPixelsX(this, left), twipsToPixelsY(this, top),
                       twipsToPixelsX(this, width), twipsToPixelsY(this, height));
    };

    m_history = new QComboBox(this);
    m_history->setObjectName(u"cmbSrchHist"_s);
    m_history->setEditable(true);
    // The history is kept by the buttons, not by Enter, and typing is never completed.
    m_history->setInsertPolicy(QComboBox::NoInsert);
    m_history->setCompleter(nullptr);
    m_history->setMaxVisibleItems(10);
    place(m_history, 120, 120, 4695, 300);

    m_matchCase = new QCheckBox(u"大文字と小文字を区別する(&S)"_s, this);
    m_matchCase->setObjectName(u"chkBSString"_s);
    place(m_matchCase, 240, 600, 2655, 255);
    // Room for the caption in any font, up to the buttons.
    m_matchCase->resize(qMin(qMax(m_matchCase->width(), m_matchCase->sizeHint().width()),
                             twipsToPixelsX(this, 4920 - 240 - 60)),
                        qMax(m_matchCase->height(), m_matchCase->sizeHint().height()));

    // No button becomes the default by taking the focus: Enter always searches, also after
    // another button was clicked.
    const std::array<QString, 2> captions = {u"検索(&S)"_s, u"次を検索(&N)"_s};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(captions[std::size_t(i)], this);
        button->setObjectName(u"cmdSearch"_s);
        button->setProperty("index", i);
        button->setAutoDefault(false);
        button->setDefault(i == 0);
        place(button, 4920, i ? 530 : 120, 1095, 325);
        connect(button, &QPushButton::clicked, this, [this, i] { searchClicked(i); });
    }

    auto* cancel = new QPushButton(u"キャンセル"_s, this);
    cancel->setObjectName(u"cmdCancel"_s);
    cancel->setAutoDefault(false);
    place(cancel, 4920, 960, 1095, 325);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_history, m_matchCase);
}

SearchDialog* SearchDialog::showInstance(QWidget* owner, Settings& settings,
                                         SearchController& search)
{
    auto* dialog = owner
                       ? owner->findChild<SearchDialog*>(u"frmSearch"_s, Qt::FindDirectChildrenOnly)
                       : nullptr;
    if (!dialog)
        dialog = new SearchDialog(settings, search, owner);
    dialog->showDialog();
    return dialog;
}

void SearchDialog::showDialog()
{
    if (!m_loaded)
        loadSettings();
    const bool wasVisible = isVisible();
    show();
    if (wasVisible)
        raise();
    activateWindow();
    m_history->setFocus();
}

QStringList SearchDialog::history() const
{
    QStringList items;
    for (int i = 0; i < m_history->count(); ++i)
        items.append(m_history->itemText(i));
    return items;
}

void SearchDialog::loadSettings()
{
    m_matchCase->setChecked(m_settings.SearchMatchCase != 0);
    m_history->clear();
    m_history->addItems(searchHistoryFromSettings(m_settings));
    m_history->setEditText(QString());
    m_loaded = true;
}

void SearchDialog::storeSettings()
{
    storeSearchSettings(m_settings, history(), m_matchCase->isChecked());
}

void SearchDialog::searchClicked(int buttonIndex)
{
    const QString text = m_history->currentText();
    QStringList items = history();
    addToSearchHistory(items, text);
    if (items != history()) {
        m_history->clear();
        m_history->addItems(items);
    }
    m_history->setEditText(text);
    m_search.find(buttonIndex, m_matchCase->isChecked(), text);
}

void SearchDialog::done(int result)
{
    if (m_loaded) {
        storeSettings();
        m_loaded = false;
    }
    QDialog::done(result);
}

} // namespace tw
