#pragma once

#include "analysis/item_info_text.h"

#include <QDialog>
#include <QList>

class QAction;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QWidget;

namespace tw {

class Platform;
struct Settings;
class UrlOpener;
class UserPrompts;

// The item-information dialog: the five texts of one row and the web-log fields it has,
// read-only and selectable, with the browser family's picture, and a toolbar that saves them,
// copies them and opens the previous page. A snapshot: the row may change or go afterwards.
class ItemInfoDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemInfoDialog)

public:
    ItemInfoDialog(const ItemInfo& item, const Settings& settings, UserPrompts& prompts,
                   Platform& platform, UrlOpener& opener, QWidget* parent = nullptr);

    // A new dialog for item, shown modeless and owned by owner; it deletes itself on close.
    static ItemInfoDialog* showFor(const ItemInfo& item, const Settings& settings,
                                   UserPrompts& prompts, Platform& platform, UrlOpener& opener,
                                   QWidget* owner);

    const AccessRecord& item() const { return m_item.record; }
    const QList<ItemInfo::Extra>& extras() const { return m_item.extras; }

    // The toolbar's buttons by position, 1 to 4 (3 is the separator).
    void toolbarClicked(int position);
    void save();
    void copy();
    void openPreviousPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFields();
    void addExtraFields(QWidget* frame, QGridLayout* grid, int firstRow);
    QToolBar* buildToolBar();

    ItemInfo m_item;
    const Settings& m_settings;
    UserPrompts& m_prompts;
    Platform& m_platform;
    UrlOpener& m_opener;
    QList<QWidget*> m_fields;
    QLabel* m_picture = nullptr;
    QToolBar* m_toolBar = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace tw
