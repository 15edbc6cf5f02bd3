#include "mainwindow/ui/log_list_view.h"

#include "core/access_record.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QProxyStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

namespace tw {
namespace {

// Without full-row selection only the first column shows the highlight.
class SelectionDelegate final : public QStyledItemDelegate {
public:
    explicit SelectionDelegate(LogListView* view) : QStyledItemDelegate(view), m_view(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_view->fullRowSelect() && index.column() > 0)
            option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    }

private:
    const LogListView* m_view;
};

// Without full-row selection the first column highlights its label only, and the table paints
// no selected row panel behind the cells.
class SelectionStyle final : public QProxyStyle {
public:
    explicit SelectionStyle(const LogListView* view) : m_view(view) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_PanelItemViewRow && !m_view->fullRowSelect() &&
            (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
                QStyleOptionViewItem plain(*item);
                plain.state &= ~State_Selected;
                QProxyStyle::drawPrimitive(element, &plain, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ItemView_ShowDecorationSelected && !m_view->fullRowSelect())
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    const LogListView* m_view;
};

} // namespace

LogListView::LogListView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("lvwMainListView"));
    setItemDelegate(new SelectionDelegate(this));
    auto* style = new SelectionStyle(this);
    style->setParent(this);
    setStyle(style);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    updateRowHeight();
}

void LogListView::setFullRowSelect(bool on)
{
    m_fullRow = on;
    viewport()->update();
}

void LogListView::updateRowHeight()
{
    const int height = std::max(fontMetrics().height(), iconSize().height()) + 2;
    verticalHeader()->setDefaultSectionSize(height);
}

int LogListView::cellWidth(const QString& sample) const
{
    const QFontMetrics metrics(font());
    const int margins =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) +
        metrics.averageCharWidth() + 1;
    return metrics.horizontalAdvance(sample) + margins;
}

int LogListView::typicalWidth(int field) const
{
    // Request, status, bytes and virtual host as logs often have them, in wide digits.
    static const std::array<QString, kMaxFieldCount - kColumnCount> samples = {
        QStringLiteral("GET /images/index.html HTTP/1.1"), QStringLiteral("888"),
        QStringLiteral("88888888"), QStringLiteral("www.example.com")};
    const QString sample = field >= kColumnCount && field < kMaxFieldCount
                               ? samples[std::size_t(field - kColumnCount)]
                               : QString();
    const QHeaderView* header = horizontalHeader();
    const int captionWidth =
        header->fontMetrics().horizontalAdvance(columnCaption(field) + QStringLiteral("(昇)")) +
        2 * (header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 1);
    return std::max(cellWidth(sample), captionWidth);
}

QModelIndex LogListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Home and End go to the first and the last row, as in any list, not to the first and the
    // last column of the row; the column stays, so the list does not scroll sideways.
    if ((action == MoveHome || action == MoveEnd) && model() && model()->rowCount() > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return model()->index(action == MoveHome ? 0 : model()->rowCount() - 1, column);
    }
    return QTableView::moveCursor(action, modifiers);
}

void LogListView::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                            Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Menu) {
        // Only the bare key: with a modifier held it does nothing.
        if (mods == Qt::NoModifier)
            emit popupKeyPressed();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (currentIndex().isValid())
            emit activatedRow();
        event->accept();
        return;
    }
    // Copying and selecting everything are the window's commands, not the table's own.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void LogListView::contextMenuEvent(QContextMenuEvent* event)
{
    // The keyboard's own request is handled as the Menu key above.
    if (event->reason() == QContextMenuEvent::Mouse)
        emit popupRequested(viewport()->mapToGlobal(event->pos()));
    event->accept();
}

void LogListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && currentIndex().isValid())
        emit activatedRow();
}

void LogListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Under a program-wide font the header keeps that one instead of taking the list's.
        horizontalHeader()->setFont(font());
        updateRowHeight();
    }
}

void LogListView::enableDragAndDrop()
{
    m_dragAndDrop = true;
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setDropIndicatorShown(false);
}

void LogListView::startDrag(Qt::DropActions supportedActions)
{
    if (m_dragAndDrop)
        emit rowDragRequested();
    else
        QTableView::startDrag(supportedActions);
}

namespace {

// Whatever comes from outside is taken as a copy; the list's own drag is never dropped back
// on it (its shortcut file is no log).
bool acceptOutsideDrag(QDropEvent* event, const QWidget* list)
{
    if (event->source() == list) {
        event->ignore();
        return false;
    }
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
    return true;
}

} // namespace

void LogListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dragAndDrop)
        acceptOutsideDrag(event, this);
    else
        QTableView::dragEnterEvent(event);
}

void LogListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_dragAndDrop)
        acceptOutsideDrag(event, this);
    else
        QTableView::dragMoveEvent(event);
}

void LogListView::dropEvent(QDropEvent* event)
{
    if (!m_dragAndDrop) {
        QTableView::dropEvent(event);
        return;
    }
    if (!acceptOutsideDrag(event, this))
        return;
    const QMimeData* data = event->mimeData();
    emit dropReceived(data && data->hasUrls() ? data->urls() : QList<QUrl>());
}

} // namespace tw
