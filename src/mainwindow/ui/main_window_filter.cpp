// The main window's filter: the bar, the filtering beside the window, and the rows shown.
#include "analysis/filter_text.h"
#include "core/work_failure.h"
#include "mainwindow/filter_runner.h"
#include "mainwindow/ui/filter_bar.h"
#include "mainwindow/ui/log_list_model.h"
#include "mainwindow/ui/main_window.h"

#include <QLineEdit>
#include <QToolBar>

namespace tw {

void MainWindow::createFilterBar()
{
    addToolBarBreak();
    m_filterToolBar = addToolBar(QStringLiteral("tbrFilter"));
    m_filterToolBar->setObjectName(QStringLiteral("tbrFilter"));
    m_filterToolBar->setMovable(false);
    m_filterToolBar->setFloatable(false);
    m_filterToolBar->toggleViewAction()->setEnabled(false);
    m_filterBar = new FilterBar(m_filterToolBar);
    m_filterToolBar->addWidget(m_filterBar);
    m_filterToolBar->setVisible(false);
    m_filterRunner = new FilterRunner(m_list, this);
    m_model->setShownRows(&m_commands.editor().shown());

    connect(m_filterBar, &FilterBar::filterChanged, this, &MainWindow::filterChanged);
    connect(m_filterRunner, &FilterRunner::finished, this,
            [this](const RowFilter& filter, const std::vector<quint32>& rows) {
                showFilteredRows(filter, rows);
            });
    m_filterBar->setDateSpanSource([this] { return dateTimeSpan(m_list); });
    connect(m_filterBar, &FilterBar::saveRequested, this, &MainWindow::saveCurrentFilter);
    connect(m_filterBar, &FilterBar::savedChosen, this, &MainWindow::applySavedFilter);
    connect(m_filterBar, &FilterBar::savedRemoveRequested, this, &MainWindow::removeSavedFilter);
    showSavedFilterNames();
    connect(m_filterRunner, &FilterRunner::failed, this,
            [this](const std::exception_ptr& failure) { reportWorkFailure(m_prompts, failure); });
}

void MainWindow::toggleFilterBar()
{
    const bool shown = commandAction(QStringLiteral("actFilterBar"))->isChecked();
    m_settings.FilterBar = shown ? 1 : 0;
    m_filterToolBar->setVisible(shown);
    if (shown)
        m_filterBar->textBox()->setFocus();
}

void MainWindow::addFilterCondition(const FilterCondition& condition)
{
    if (!m_filterToolBar->isVisible()) {
        commandAction(QStringLiteral("actFilterBar"))->setChecked(true);
        toggleFilterBar();
    }
    m_filterBar->addCondition(condition);
    raise();
    activateWindow();
}

void MainWindow::filterChanged()
{
    if (!m_filterRunner)
        return; // the window is going
    m_filterBar->setMatchCase(m_settings.SearchMatchCase != 0);
    const RowFilter filter = m_filterBar->filter();
    if (filter.isEmpty()) {
        m_filterRunner->cancel();
        showFilteredRows({}, {});
        return;
    }
    m_filterRunner->request(filter);
}

void MainWindow::showFilteredRows(const RowFilter& filter, std::vector<quint32> rows)
{
    ListEditor& editor = m_commands.editor();
    if (filter.isEmpty() && !editor.shown().isFiltered())
        return;
    editor.setFilter(filter, std::move(rows));
    setStatusText(3, editor.itemCountText());
}

bool MainWindow::isFiltering() const
{
    return m_filterRunner && m_filterRunner->isRunning();
}

RowSubset MainWindow::shownRows() const
{
    const ShownRows& shown = m_commands.editor().shown();
    return shown.isFiltered() ? RowSubset(shown.rows()) : RowSubset();
}

void MainWindow::stopFilteringForChange()
{
    if (m_filterRunner && m_filterRunner->isRunning()) {
        m_filterRunner->cancel();
        m_filterInterrupted = true;
    }
}

void MainWindow::resumeFilteringAfterChange()
{
    if (m_filterBar)
        m_filterBar->setFields(m_list.fields());
    if (!m_filterInterrupted)
        return;
    m_filterInterrupted = false;
    filterChanged();
}

void MainWindow::saveCurrentFilter()
{
    const FilterParts parts = m_filterBar->parts();
    if (parts.filter.isEmpty() && !parts.withoutBots) {
        m_prompts.information(QStringLiteral("保存する条件がありません。"));
        return;
    }
    const std::optional<QString> typed = m_prompts.askText(
        QStringLiteral("フィルタを保存"), QStringLiteral("フィルタの名前:"), QString());
    const QString name = typed ? typed->trimmed() : QString();
    if (name.isEmpty())
        return;
    const SavedFilter saved{name, filterToText(parts)};
    QList<SavedFilter>& kept = m_settings.SavedFilters;
    const auto same = std::find_if(kept.begin(), kept.end(),
                                   [&name](const SavedFilter& f) { return f.name == name; });
    if (same != kept.end()) {
        const MessageAnswer answer = m_prompts.message(
            QStringLiteral("確認"),
            QStringLiteral("「%1」という名前のフィルタがあります。置き換えますか？").arg(name),
            MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No);
        if (answer != MessageAnswer::Yes)
            return;
        *same = saved;
    } else {
        if (kept.size() >= kMaxSavedFilters) {
            m_prompts.error(
                QStringLiteral("保存できるフィルタは%1個までです。").arg(kMaxSavedFilters));
            return;
        }
        kept.append(saved);
    }
    showSavedFilterNames();
}

void MainWindow::applySavedFilter(int index)
{
    if (index < 0 || index >= m_settings.SavedFilters.size())
        return;
    const auto parts = filterFromText(m_settings.SavedFilters.at(index).definition);
    if (!parts) {
        m_prompts.error(QStringLiteral("保存したフィルタ「%1」が読めませんでした。")
                            .arg(m_settings.SavedFilters.at(index).name));
        return;
    }
    m_filterBar->setParts(*parts);
}

void MainWindow::removeSavedFilter(int index)
{
    if (index < 0 || index >= m_settings.SavedFilters.size())
        return;
    const MessageAnswer answer =
        m_prompts.message(QStringLiteral("確認"),
                          QStringLiteral("保存したフィルタ「%1」を削除しますか？")
                              .arg(m_settings.SavedFilters.at(index).name),
                          MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No);
    if (answer != MessageAnswer::Yes)
        return;
    m_settings.SavedFilters.removeAt(index);
    showSavedFilterNames();
}

void MainWindow::showSavedFilterNames()
{
    QStringList names;
    for (const SavedFilter& f : m_settings.SavedFilters)
        names << f.name;
    m_filterBar->setSavedNames(names);
}

} // namespace tw
