#include "cli/row_printer.h"

#include "core/cp932.h"

namespace tw::cli {
namespace {

// A TAB, CR or LF inside a value would break the line format: it is printed as a blank. Code
// marks name CP932 codes, which UTF-8 output has no use for.
void appendPrintable(QByteArrayView value, QByteArray& line)
{
    const qsizetype start = line.size();
    cp932::appendWithoutCodeMarks(value, line);
    for (char *p = line.data() + start, *end = line.data() + line.size(); p != end; ++p) {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
}

} // namespace

void RowPrinter::print(const LogList& list, qsizetype row)
{
    m_line.clear();
    m_line.append(QByteArray::number(row + 1));
    m_line.append('\t');
    m_line.append(browserClassKey(list.browserClass(row)).toLatin1());
    for (int k = 0; k < kColumnCount; ++k) {
        m_line.append('\t');
        appendPrintable(list.field(row, k), m_line);
    }
    m_line.append('\n');
    m_out << QString::fromUtf8(m_line);
}

} // namespace tw::cli
