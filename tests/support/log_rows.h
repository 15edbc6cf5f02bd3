#pragma once

#include "core/log_list.h"

#include <QList>
#include <QStringList>

namespace tw::test {

// Rows as five texts each, in column order.
using Rows = QList<QStringList>;

// Appends one record per row; texts a row lacks are empty.
void appendRows(LogList& list, const Rows& rows);
// Appends one record per host, with the browser "Mozilla/4.0" and the other texts empty.
void appendHostRows(LogList& list, const QStringList& hosts);

Rows rowsOf(const LogList& list);
Rows rowsOf(const LogBatch& batch);

} // namespace tw::test
