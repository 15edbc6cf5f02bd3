#include "analysis/search_controller.h"

#include "core/log_list.h"
#include "core/user_prompts.h"
#include "core/work_failure.h"
#include "settings/settings.h"

namespace tw {

SearchController::SearchController(const LogList& list, SearchTarget& target, UserPrompts& prompts)
    : m_list(list), m_target(target), m_prompts(prompts)
{
}

void SearchController::find(int mode, bool matchCase, const QString& text)
{
    FindResult result{};
    const qsizetype from = m_target.currentRow();
    if (!runReportingFailure(m_prompts, [&] {
            m_target.runSearch([&] {
                result =
                    findInList(m_state, m_list, mode, matchCase, text, from, m_target.shownRows());
            });
        }))
        return;
    if (result.outcome == FindOutcome::Beep) {
        m_prompts.beep();
        return;
    }
    if (m_target.shownRows().size(m_list) > 0)
        m_target.clearSelection();
    if (result.outcome == FindOutcome::Found)
        m_target.selectRow(result.row);
    else
        m_prompts.information(QStringLiteral("検索が終了しました。"));
}

QStringList searchHistoryFromSettings(const Settings& settings)
{
    QStringList history;
    for (const QString& text : settings.SearchHistory) {
        if (!text.isEmpty())
            history.append(text);
    }
    return history;
}

void storeSearchSettings(Settings& settings, const QStringList& history, bool matchCase)
{
    for (std::size_t i = 0; i < settings.SearchHistory.size(); ++i)
        settings.SearchHistory[i] =
            qsizetype(i) < history.size() ? history[qsizetype(i)] : QString();
    settings.SearchMatchCase = matchCase ? 1 : 0;
}

} // namespace tw
