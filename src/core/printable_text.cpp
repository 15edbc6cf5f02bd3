#include "core/printable_text.h"

#include "core/cp932.h"

namespace tw {

void appendPrintable(QByteArrayView utf8, QByteArray& out)
{
    const qsizetype start = out.size();
    cp932::appendWithoutCodeMarks(utf8, out);
    for (char *p = out.data() + start, *end = out.data() + out.size(); p != end; ++p) {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
}

} // namespace tw
