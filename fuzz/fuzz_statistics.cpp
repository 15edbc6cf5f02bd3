// Any row texts through the host and access reports.
#include "analysis/access_statistics.h"
#include "analysis/host_statistics.h"
#include "core/log_list.h"
#include "fuzz_support.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Rows are lines; fields within a line are TAB-separated, as UTF-8 texts.
    const QByteArray in = fuzz::bytesOf(data, size);
    const int aLogMax = size > 0 ? int(qint8(data[0])) : 0;
    const QList<QByteArray> lines = in.split('\n');
    LogBatch batch;
    for (const QByteArray& line : lines) {
        std::array<QByteArrayView, kColumnCount> fields{};
        int c = 0;
        const QList<QByteArray> parts = line.split('\t');
        for (const QByteArray& f : parts) {
            if (c == kColumnCount)
                break;
            fields[std::size_t(c++)] = f;
        }
        batch.addRow(fields);
    }
    LogList list;
    list.append(std::move(batch));
    (void)hostStatisticsText(list);
    (void)accessStatisticsText(list, aLogMax);
    for (qsizetype i = 0; i < list.rowCount(); ++i) {
        (void)isNumericHost(list.field(i, 1));
        const int hour = hourOfDateTime(list.field(i, 3));
        TW_FUZZ_CHECK(hour >= -1 && hour <= 23);
    }
    return 0;
}
