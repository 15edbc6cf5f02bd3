#include "support/log_rows.h"

using namespace Qt::StringLiterals;

namespace tw::test {

void appendRows(LogList& list, const Rows& rows)
{
    LogBatch batch;
    for (const QStringList& texts : rows) {
        AccessRecord r;
        for (int k = 0; k < kColumnCount; ++k)
            r.field(k) = texts.value(k);
        batch.addRecord(r);
    }
    list.append(std::move(batch));
}

void appendHostRows(LogList& list, const QStringList& hosts)
{
    Rows rows;
    for (const QString& host : hosts)
        rows << QStringList{u"Mozilla/4.0"_s, host};
    appendRows(list, rows);
}

Rows rowsOf(const LogList& list)
{
    Rows rows;
    for (qsizetype r = 0; r < list.rowCount(); ++r) {
        QStringList row;
        for (int k = 0; k < kColumnCount; ++k)
            row << list.text(r, k);
        rows << row;
    }
    return rows;
}

Rows rowsOf(const LogBatch& batch)
{
    Rows rows;
    for (qsizetype r = 0; r < batch.size(); ++r) {
        QStringList row;
        for (int k = 0; k < kColumnCount; ++k)
            row << QString::fromUtf8(batch.row(r).field(k));
        rows << row;
    }
    return rows;
}

} // namespace tw::test
