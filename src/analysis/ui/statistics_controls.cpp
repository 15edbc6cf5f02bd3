#include "analysis/ui/statistics_controls.h"

#include "ui/icons.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace tw {

QToolBar* makeSaveToolBar(QWidget* parent, const std::function<void()>& save)
{
    auto* toolBar = new QToolBar(parent);
    toolBar->setObjectName(u"tbrButtons"_s);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    QAction* action = toolBar->addAction(toolbarIcon(u"SAVE"_s), QString());
    action->setObjectName(u"SAVE"_s);
    action->setToolTip(u"レポートとして保存"_s);
    QObject::connect(action, &QAction::triggered, parent, save);
    return toolBar;
}

void popUpUnlessEmpty(QMenu* menu, QPoint globalPos)
{
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

} // namespace tw
