#include "core/user_prompts.h"

#include <QStringList>

namespace tw {

QList<FilterPair> splitFilterPairs(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QList<FilterPair> pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        pairs.append({parts.at(i), parts.at(i + 1)});
    return pairs;
}

} // namespace tw
