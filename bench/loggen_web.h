#pragma once

#include "loggen.h"

#include <QByteArray>

namespace tw::bench {

// Writes visits as a web server logs them: Common, Combined, virtual-host Combined or W3C.
class WebLogWriter {
public:
    explicit WebLogWriter(const LogGenOptions& options);
    // One line, line end included; a damaged line is cut short, as by a server killed mid-write.
    // A W3C log gets its directives before the first row and again, with other fields, halfway.
    void append(const Visit& visit, bool damaged, QByteArray& out);

private:
    void appendApacheLine(const Visit& visit, QByteArray& out) const;
    void appendW3cDirectives(const Visit& visit, QByteArray& out) const;
    void appendW3cLine(const Visit& visit, QByteArray& out) const;

    LogFormat m_format;
    const char* m_lineEnd;
    std::int64_t m_rows;
    std::int64_t m_row = 0;
    int m_w3cBlock = -1; // which #Fields list the rows follow
};

} // namespace tw::bench
