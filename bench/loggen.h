#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// A seeded generator of access logs of a small Japanese home page around 2001: the same seed
// and options always give the same bytes.
namespace tw::bench {

enum class LogFormat {
    List,     // list file (or raw access log): five labelled fields, CP932
    Combined, // the same visits in Apache Combined Log Format, ASCII, LF
};

struct LogGenOptions {
    std::int64_t rows = 1000;
    std::uint64_t seed = 1;
    int distinctPages = 300; // URLs that appear as previous pages
    LogFormat format = LogFormat::List;
    bool header = true;           // list format: start with "#Tallyweaver_Header"
    bool bareLf = false;          // list format: LF line ends, as a Unix server writes them
    std::int64_t damagedRows = 0; // list format: rows that lose their "ブラウザ:" label
    int longPageBytes = 0; // > 0: every visit comes from its own previous page of about this size
};

// One visit; all texts UTF-8.
struct Visit {
    std::string browser;
    std::string host;
    std::string ip;
    std::string dateTime;     // "2001/05/01 09:05:33"
    std::string previousPage; // "-", empty, a URL
    // Only for the combined format.
    std::string clfTime; // "01/May/2001:09:05:33 +0900"
    std::string requestPath;
    int status = 200;
    int bytes = 0;
};

// Plain C++ (no Qt): the visit stream for a seed.
class VisitGenerator {
public:
    VisitGenerator(std::uint64_t seed, int distinctPages, std::int64_t expectedRows,
                   int longPageBytes = 0);
    void next(Visit& visit);

private:
    std::uint64_t below(std::uint64_t n) { return m_rng() % n; }
    double unit() { return double(m_rng() >> 11) * 0x1.0p-53; }
    std::string pick(const std::vector<std::string>& list) { return list[below(list.size())]; }
    std::string makeIp();
    std::string makeHost(const std::string& ip);
    std::string makePreviousPage();
    std::string makePageUrl();
    std::string makeSearchReferrer();
    std::string makeLongPage();
    void advanceClock();

    std::mt19937_64 m_rng;
    std::vector<std::string> m_pages;     // distinct previous pages, most visited first
    std::vector<std::string> m_sitePaths; // request paths of the site itself
    std::int64_t m_seconds = 0;           // since 2001-05-01 00:00:00 local time
    double m_meanInterval = 20.0;
    int m_longPageBytes = 0;
    std::int64_t m_longPages = 0; // made so far; numbers them apart
};

// Appends the line of one visit in the chosen format, line end included.
void appendVisitLine(const Visit& visit, const LogGenOptions& options, bool damaged,
                     QByteArray& out);

QByteArray generateLog(const LogGenOptions& options);
// Writes the log in chunks; false with an English reason when the file cannot be written.
bool writeLog(const QString& path, const LogGenOptions& options, QString* error = nullptr);

} // namespace tw::bench
