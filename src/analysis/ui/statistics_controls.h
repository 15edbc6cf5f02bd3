#pragma once

#include <QPoint>

#include <functional>

class QMenu;
class QToolBar;
class QWidget;

namespace tw {

// The statistics dialogs' tool bar: the SAVE button, which runs save.
QToolBar* makeSaveToolBar(QWidget* parent, const std::function<void()>& save);

// Shows a context menu made for one request at globalPos, deleting it once closed; an empty
// menu is deleted at once.
void popUpUnlessEmpty(QMenu* menu, QPoint globalPos);

} // namespace tw
