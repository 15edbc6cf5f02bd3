#include "cli/row_printer.h"

#include "core/printable_text.h"

namespace tw::cli {

void RowPrinter::print(const LogList& list, qsizetype row, qsizetype number)
{
    m_line.clear();
    m_line.append(QByteArray::number(number));
    m_line.append('\t');
    m_line.append(browserClassKey(list.browserClass(row)).toLatin1());
    for (int k = 0, n = m_allFields ? kMaxFieldCount : kColumnCount; k < n; ++k) {
        m_line.append('\t');
        appendPrintable(list.field(row, k), m_line);
    }
    m_line.append('\n');
    m_out << QString::fromUtf8(m_line);
}

} // namespace tw::cli
