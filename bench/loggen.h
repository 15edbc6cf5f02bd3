#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

// A seeded generator of access logs of a small Japanese home page around 2001: the same seed
// and options always give the same bytes.
namespace tw::bench {

enum class LogFormat {
    List,      // list file (or raw access log): five labelled fields, CP932
    Combined,  // the same visits in Apache Combined Log Format
    Common,    // Common Log Format: no referrer, no user agent
    VCombined, // Combined behind a virtual-host prefix "%v:%p " (a few rows "%v ")
    W3C,       // W3C extended log as IIS writes it, with a #Fields change halfway
};

constexpr std::int64_t kDefaultStartDay = 11443; // 2001-05-01, in days since 1970-01-01

struct LogGenOptions {
    std::int64_t rows = 1000;
    std::uint64_t seed = 1;
    int distinctPages = 300; // URLs that appear as previous pages
    LogFormat format = LogFormat::List;
    bool header = true;           // list format: start with "#Tallyweaver_Header"
    bool bareLf = false;          // list format: LF line ends, as a Unix server writes them
    std::int64_t damagedRows = 0; // rows that lose their "ブラウザ:" label, or web lines cut short
    int longPageBytes = 0; // > 0: every visit comes from its own previous page of about this size
    bool crlf = false;     // web formats: CR LF line ends instead of LF
    bool gzip = false;     // the output gzip-compressed
    // Web formats: the rare rows a parser must survive (see RareRowRates). Unset: on for every
    // web format but Combined, whose plain bytes older benchmark data depend on.
    std::optional<bool> rareRows;
    std::int64_t startDay = kDefaultStartDay; // the first visit's day, in days since 1970
    double spanDays = 90;                     // the visits spread over about this many days
    int agents = 0; // > 0: the rows' user agents come from this many present-day ones
};

// Rare rows of the web formats, per 10,000 rows, each drawn on its own.
struct RareRowRates {
    static constexpr int ipv6Client = 300;
    static constexpr int modernBrowser = 2000; // current browsers on phones and desktops
    static constexpr int bot = 500;            // crawlers such as Googlebot and GPTBot
    static constexpr int escapedAgent = 100;   // quotes, backslashes, bytes a server escapes
    static constexpr int utf8Referrer = 200;   // half raw, half escaped as \xHH
    static constexpr int cp932Referrer = 50;   // raw CP932 bytes
    static constexpr int remoteUser = 100;
    static constexpr int timeout408 = 50;       // request line "-"
    static constexpr int hostWithoutPort = 200; // virtual-host prefix "%v " without ":%p"
};

bool withRareRows(const LogGenOptions& options);

// How a web log writes a previous page that is not plain ASCII.
enum class ReferrerBytes {
    PercentCp932, // %XX of the CP932 bytes, as the browsers of 2001 sent them
    RawUtf8,
    EscapedUtf8, // \xHH of each UTF-8 byte, as Apache escapes them
    RawCp932,
};

// One visit; all texts UTF-8.
struct Visit {
    std::string browser;
    std::string host;
    std::string ip;
    std::string dateTime;     // "2001/05/01 09:05:33"
    std::string previousPage; // "-", empty, a URL
    // Only for the web formats.
    std::string clfTime;     // "01/May/2001:09:05:33 +0900"
    std::string requestPath; // empty: no request line ("-")
    int status = 200;
    int bytes = 0;
    std::string protocol = "HTTP/1.0";
    std::string user; // remote user, empty when none
    std::string virtualHost;
    int port = 80;
    bool portLogged = true; // virtual-host prefix with ":port"
    int timeTakenMs = 0;
    ReferrerBytes referrerBytes = ReferrerBytes::PercentCp932;
};

// Plain C++ (no Qt): the visit stream for a seed.
class VisitGenerator {
public:
    VisitGenerator(std::uint64_t seed, int distinctPages, std::int64_t expectedRows,
                   int longPageBytes = 0, std::int64_t startDay = kDefaultStartDay,
                   double spanDays = 90);
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
    std::int64_t m_startDay = kDefaultStartDay;
    std::int64_t m_seconds = 0; // since the start day's 00:00:00 local time
    double m_meanInterval = 20.0;
    int m_longPageBytes = 0;
    std::int64_t m_longPages = 0; // made so far; numbers them apart
};

// Appends the list-file line of one visit, line end included.
void appendVisitLine(const Visit& visit, const LogGenOptions& options, bool damaged,
                     QByteArray& out);

QByteArray generateLog(const LogGenOptions& options);
// Writes the log in chunks; false with an English reason when the file cannot be written.
bool writeLog(const QString& path, const LogGenOptions& options, QString* error = nullptr);

} // namespace tw::bench
