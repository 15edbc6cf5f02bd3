#include "loggen.h"

#include "loggen_agents.h"
#include "loggen_gzip.h"
#include "loggen_web.h"
#include "loggen_web_visits.h"

#include "core/cp932.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

namespace tw::bench {
namespace {

constexpr int kFieldCount = 5;

struct Weighted {
    int weight;
    const char* text;
};

// User agents of the period, weighted roughly as a Japanese home page saw them, plus a share of
// modern ones and tools.
const Weighted kAgents[] = {
    {70, "Mozilla/4.0 (compatible; MSIE 5.01; Windows 98)"},
    {60, "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"},
    {40, "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90)"},
    {35, "Mozilla/4.0 (compatible; MSIE 6.0; Windows 98)"},
    {30, "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98; DigExt)"},
    {28, "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)"},
    {25, "Mozilla/4.0 (compatible; MSIE 5.5; Windows 95)"},
    {12, "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95; Yahoo! JAPAN Version Windows 95/NT "
         "CD-ROM Edition 1.0.)"},
    {45, "Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)"},
    {40, "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)"},
    {35, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    {30, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"},
    {15, "Mozilla/4.0 (compatible; MSIE 4.01; Windows NT)"},
    {12, "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"},
    {5, "Mozilla/4.0 (compatible; MSIE 4.01; Windows CE; PPC; 240x320)"},
    {4, "Mozilla/2.0 (compatible; MSIE 3.02; Windows CE; 240x320)"},
    {12, "Mozilla/4.0 (compatible; MSIE 5.0; Mac_PowerPC)"},
    {8, "Mozilla/4.0 (compatible; MSIE 4.5; Mac_PowerPC)"},
    {6, "Mozilla/4.0 (compatible; MSPIE 2.0; Windows CE)"},
    {18, "Mozilla/4.7 [ja] (Win98; I)"},
    {12, "Mozilla/4.08 [ja] (Win95; I ;Nav)"},
    {10, "Mozilla/4.76 [ja] (Windows NT 5.0; U)"},
    {8, "Mozilla/4.75 [ja] (WinNT; U)"},
    {10, "Mozilla/4.7 [ja] (Macintosh; I; PPC)"},
    {8, "Mozilla/4.76 [ja] (Macintosh; U; PPC)"},
    {5, "Mozilla/4.5 [ja] (Macintosh; I; 68K)"},
    {3, "Mozilla/3.01 [ja] (Macintosh; I; 68K)"},
    {6, "Mozilla/4.76 [en] (X11; U; Linux 2.2.16 i686)"},
    {4, "Mozilla/4.7 [ja] (X11; I; FreeBSD 4.2-RELEASE i386)"},
    {3, "Mozilla/4.51 [en] (X11; I; SunOS 5.7 sun4u)"},
    {7, "Mozilla/5.0 (Windows; U; Windows NT 5.0; ja-JP; rv:0.9.4) Gecko/20011019 Netscape6/6.2"},
    {3, "Mozilla/5.0 (X11; U; Linux i686; ja-JP; rv:0.9.8) Gecko/20020204"},
    {9, "WWWC/1.03"},
    {6, "WWWC/1.04"},
    {4, "Mozilla/3.0 (DreamPassport/3.0)"},
    {3, "Mozilla/3.0 (DreamPassport/3.15; SONICTEAM/PSOV2)"},
    {6, "DoCoMo/1.0/N502i"},
    {5, "DoCoMo/1.0/P503i/c10"},
    {3, "DoCoMo/2.0 N2001(c10)"},
    {3, "ReGet Deluxe 3.0 (Windows 98)"},
    {2, "ReGetJr/1.2"},
    {5, "Wget/1.5.3"},
    {3, "libwww-perl/5.53"},
    {3, "Irvine/0.4.5"},
    {2, "Opera/5.12 (Windows 98; U) [ja]"},
    {3, ""},
    // Modern visitors of the same page.
    {90, "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/120.0.0.0 Safari/537.36"},
    {45, "Mozilla/5.0 (iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, "
         "like Gecko) Version/17.1 Mobile/15E148 Safari/604.1"},
    {25, "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like "
         "Gecko) Version/17.1 Safari/605.1.15"},
    {10, "Mozilla/5.0 (X11; Linux x86_64; rv:121.0) Gecko/20100101 Firefox/121.0"},
    {20, "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/120.0.0.0 Mobile Safari/537.36"},
    {4, "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"},
};

// Tokens that toolbars and updates added to Internet Explorer's user agent.
const char* const kIeTokens[] = {"; .NET CLR 1.0.3705", "; .NET CLR 1.1.4322", "; Q312461",
                                 "; YComp 5.0.0.0",     "; Hotbar 4.1.8.0",    "; i-NAVFourF",
                                 "; NetCaptor 6.5.0",   "; (R1 1.3)"};
const char* const kCities[] = {"tokyo",  "osaka", "nagoya",   "sapporo", "fukuoka",
                               "sendai", "kyoto", "yokohama", "kobe",    "hiroshima"};
const char* const kDistricts[] = {"marunouchi", "nihonbashi", "umeda",
                                  "sakae",      "tenjin",     "shinjuku"};
const char* const kIsps[] = {"hinode", "sakura-net", "kumo", "mitsuba", "asahi-isp", "example"};
const char* const kShortHosts[] = {"gateway", "mypc", "localhost", "proxy", "fw01", "note"};
const char* const kUsers[] = {"taro", "hanako", "kenji", "yumi", "satoshi", "mika", "jun"};
const char* const kDirs[] = {"diary", "bbs", "link", "photo", "game", "music", "soft"};
const char* const kWords[] = {
    "ホームページ", "作り方", "日記",         "掲示板",     "ソフト", "表示", "機能", "壁紙",
    "無料",         "素材",   "アクセス解析", "カウンター", "ゲーム", "攻略", "音楽", "旅行",
    "料理",         "レシピ", "東京",         "大阪",       "予定表", "能力"};
const char* const kEngines[] = {"http://search.example.co.jp/bin/search?p=",
                                "http://www.kensaku.example.ne.jp/cgi-bin/find?kw=",
                                "http://search.hinode.ne.jp/cgi-bin/query?charset=sjis&q="};
const char* const kEngineTails[] = {"&fr=top&ei=SJIS&hc=0&hs=0&x=21&y=12",
                                    "&mode=and&lang=ja&num=10&start=1",
                                    "&b=21&hc=0&hs=0&kl=XX&lg=jp", ""};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Visits per hour of the day: evenings are busy, early mornings quiet.
constexpr std::array<double, 24> kHourWeight = {6, 4, 3, 2, 1, 1, 1, 2, 3,  4,  5,  5,
                                                6, 5, 5, 5, 6, 7, 8, 9, 10, 11, 11, 9};

template <std::size_t N> const char* choose(std::mt19937_64& rng, const char* const (&list)[N])
{
    return list[rng() % N];
}

std::string format(const char* pattern, auto... values)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
    return std::string(buffer, std::size_t(n < 0 ? 0 : std::min<int>(n, sizeof buffer - 1)));
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

int agentTotal()
{
    int total = 0;
    for (const Weighted& w : kAgents)
        total += w.weight;
    return total;
}

} // namespace

VisitGenerator::VisitGenerator(std::uint64_t seed, int distinctPages, std::int64_t expectedRows,
                               int longPageBytes, std::int64_t startDay, double spanDays)
    : m_rng(seed), m_startDay(startDay), m_longPageBytes(longPageBytes)
{
    // Spread the log over the span, but never busier than a visit every 5 seconds.
    if (expectedRows > 0)
        m_meanInterval = std::clamp(spanDays * 86400.0 / double(expectedRows), 5.0, 3600.0);

    for (const char* dir : kDirs) {
        m_sitePaths.push_back(format("/~%s/%s/index.html", kUsers[0], dir));
        m_sitePaths.push_back(format("/~%s/%s/", kUsers[0], dir));
    }
    m_sitePaths.push_back(format("/~%s/", kUsers[0]));
    m_sitePaths.push_back("/cgi-bin/count.cgi?id=taro");

    m_pages.reserve(std::size_t(std::max(distinctPages, 1)));
    for (int i = 0; i < std::max(distinctPages, 1); ++i)
        m_pages.push_back(makePageUrl());
}

std::string VisitGenerator::makePageUrl()
{
    const char* user = choose(m_rng, kUsers);
    const char* isp = choose(m_rng, kIsps);
    switch (below(6)) {
    case 0: // the site's own pages
        return format("http://www.hinode.ne.jp/~taro/%s/2001/%02d/%04d%02d%02d.html",
                      choose(m_rng, kDirs), int(below(12)) + 1, 2001, int(below(12)) + 1,
                      int(below(28)) + 1);
    case 1:
        return format("http://www%d.%s.ne.jp/~%s/%s/link/link%d.html?from=taro", int(below(9)) + 1,
                      isp, user, choose(m_rng, kDirs), int(below(50)));
    case 2:
        return format("http://members.%s.or.jp/%s%d/bbs/index.cgi?mode=read&no=%d&page=%d", isp,
                      user, int(below(100)), int(below(900)), int(below(20)));
    case 3:
        return format("http://homepage%d.%s.com/%s/%s/%s/index.html", int(below(3)) + 1, isp, user,
                      choose(m_rng, kDirs), choose(m_rng, kDirs));
    case 4:
        return format("http://ring.%s.co.jp/cgi-bin/ring/%s.cgi?site=%d&mode=next&from=%s", isp,
                      choose(m_rng, kDirs), int(below(5000)), user);
    default:
        return format("http://www.%s.ne.jp/~%s/%s/%s%d.htm", isp, user, choose(m_rng, kDirs),
                      choose(m_rng, kDirs), int(below(200)));
    }
}

std::string VisitGenerator::makeSearchReferrer()
{
    std::string url = choose(m_rng, kEngines);
    url += choose(m_rng, kWords);
    if (below(2)) {
        url += '+';
        url += choose(m_rng, kWords);
    }
    url += choose(m_rng, kEngineTails);
    return url;
}

// A search result page with a long query, numbered so that no two are the same.
std::string VisitGenerator::makeLongPage()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string url = format("http://search.example.co.jp/bin/search?n=%lld&q=",
                             static_cast<long long>(++m_longPages));
    while (url.size() < std::size_t(m_longPageBytes)) {
        url += kLetters[below(sizeof kLetters - 1)];
        if (below(8) == 0)
            url += '+';
    }
    return url;
}

std::string VisitGenerator::makePreviousPage()
{
    if (m_longPageBytes > 0)
        return makeLongPage();
    const std::uint64_t r = below(100);
    if (r < 12)
        return "-";
    if (r < 16)
        return std::string();
    if (r < 36)
        return makeSearchReferrer();
    if (r < 39)
        return format("file:///C|/ホームページ/%s/index.html", choose(m_rng, kDirs));
    // A few pages get most of the traffic.
    const double u = unit();
    return m_pages[std::size_t(double(m_pages.size()) * u * u * u)];
}

std::string VisitGenerator::makeIp()
{
    static const int firstOctets[] = {61, 202, 203, 210, 211, 218, 219, 220};
    return format("%d.%d.%d.%d", firstOctets[below(8)], int(below(256)), int(below(256)),
                  int(below(254)) + 1);
}

std::string VisitGenerator::makeHost(const std::string& ip)
{
    const std::uint64_t r = below(100);
    const char* city = choose(m_rng, kCities);
    const char* isp = choose(m_rng, kIsps);
    if (r < 20)
        return format("p%d-ip%02d.%s.%s.ne.jp", int(below(9000)) + 1000, int(below(12)) + 1, city,
                      isp);
    if (r < 30)
        return format("p%d-ipbf%d%s.%s.%s.ne.jp", int(below(9000)) + 1000, int(below(900)) + 100,
                      choose(m_rng, kDistricts), city, isp);
    if (r < 45)
        return format("flets%02d-%d.%s.%s.or.jp", int(below(40)), int(below(250)), city, isp);
    if (r < 55)
        return format("dhcp-%d-%d.ccn.%s-u.ac.jp", int(below(256)), int(below(256)), city);
    if (r < 63)
        return format("proxy%d.%s.co.jp", int(below(8)) + 1, isp);
    if (r < 70)
        return format("%s%d.dialup.%s.ad.jp", city, int(below(300)), isp);
    if (r < 76)
        return format("cache%d.%s.ne.jp", int(below(20)) + 1, isp);
    if (r < 80)
        return format("%s.com", isp);
    if (r < 84)
        return choose(m_rng, kShortHosts);
    if (r < 95)
        return ip;
    return std::string();
}

void VisitGenerator::advanceClock()
{
    const int hour = int((m_seconds / 3600) % 24);
    const double scale = 6.0 / kHourWeight[std::size_t(hour)];
    m_seconds += std::int64_t(2.0 * m_meanInterval * unit() * scale) + 1;
}

void VisitGenerator::next(Visit& visit)
{
    static const int total = agentTotal();
    int pickAgent = int(below(std::uint64_t(total)));
    for (const Weighted& w : kAgents) {
        if (pickAgent < w.weight) {
            visit.browser = w.text;
            break;
        }
        pickAgent -= w.weight;
    }
    if (visit.browser.find("MSIE") != std::string::npos && below(10) < 7) {
        const std::size_t close = visit.browser.rfind(')');
        // Up to four different tokens: a step of 3 through the eight never repeats one.
        constexpr std::size_t n = std::size(kIeTokens);
        static_assert(n == 8);
        const std::size_t first = below(n);
        std::string tokens;
        for (std::size_t j = 0, count = below(4) + 1; j < count; ++j)
            tokens += kIeTokens[(first + 3 * j) % n];
        visit.browser.insert(close, tokens);
    }
    visit.ip = makeIp();
    visit.host = makeHost(visit.ip);
    advanceClock();
    const std::int64_t day = m_startDay + m_seconds / 86400;
    const int secondOfDay = int(m_seconds % 86400);
    int y = 0, mo = 0, d = 0;
    civilFromDays(day, y, mo, d);
    const int h = secondOfDay / 3600, mi = secondOfDay / 60 % 60, s = secondOfDay % 60;
    visit.dateTime = format("%04d/%02d/%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    visit.clfTime = format("%02d/%s/%04d:%02d:%02d:%02d +0900", d, kMonths[mo - 1], y, h, mi, s);
    visit.previousPage = makePreviousPage();
    visit.requestPath = m_sitePaths[below(m_sitePaths.size())];
    const std::uint64_t st = below(100);
    visit.status = st < 88 ? 200 : st < 97 ? 304 : 404;
    visit.bytes = visit.status == 200 ? int(below(20000)) + 800 : 0;
}

namespace {

QByteArrayView view(const std::string& s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

} // namespace

void appendVisitLine(const Visit& visit, const LogGenOptions& options, bool damaged,
                     QByteArray& out)
{
    static const QByteArray labels[kFieldCount] = {
        cp932::encode(u"ブラウザ:"), cp932::encode(u"ホスト:"), cp932::encode(u"IP:"),
        cp932::encode(u"日付時間:"), cp932::encode(u"前回頁:")};
    const std::string* fields[kFieldCount] = {&visit.browser, &visit.host, &visit.ip,
                                              &visit.dateTime, &visit.previousPage};
    for (int k = 0; k < kFieldCount; ++k) {
        if (k)
            out.append('\t');
        if (k || !damaged)
            out.append(labels[k]);
        cp932::appendEncodedUtf8(view(*fields[k]), out);
    }
    out.append(options.bareLf ? "\n" : "\r\n");
}

namespace {

// Generates the whole log, handing full chunks to sink.
bool generate(const LogGenOptions& options, const std::function<bool(QByteArray&)>& sink)
{
    if (options.gzip) {
        GzipWriter gzip(sink);
        LogGenOptions plain = options;
        plain.gzip = false;
        return generate(plain, [&gzip](QByteArray& chunk) { return gzip.write(chunk); }) &&
               gzip.finish();
    }
    constexpr qsizetype kChunk = qsizetype(4) << 20;
    QByteArray out;
    out.reserve(kChunk + 4096);
    if (options.format == LogFormat::List && options.header)
        out.append(options.bareLf ? "#Tallyweaver_Header\n" : "#Tallyweaver_Header\r\n");
    VisitGenerator generator(options.seed, options.distinctPages, options.rows,
                             options.longPageBytes, options.startDay, options.spanDays);
    const bool web = options.format != LogFormat::List;
    WebVisitDetails details(options);
    WebLogWriter webWriter(options);
    AgentPool agents(options.seed, options.agents, options.rows);
    Visit visit;
    // Damaged rows are spread evenly through the file.
    const std::int64_t damaged = std::clamp<std::int64_t>(options.damagedRows, 0, options.rows);
    std::int64_t nextDamaged = damaged ? options.rows / (damaged + 1) : -1;
    std::int64_t damagedSoFar = 0;
    for (std::int64_t i = 0; i < options.rows; ++i) {
        generator.next(visit);
        if (!agents.isEmpty())
            visit.browser = agents.next();
        const bool isDamaged = i == nextDamaged;
        if (isDamaged) {
            ++damagedSoFar;
            nextDamaged =
                damagedSoFar < damaged ? (damagedSoFar + 1) * options.rows / (damaged + 1) : -1;
        }
        if (web) {
            details.add(visit);
            webWriter.append(visit, isDamaged, out);
        } else {
            appendVisitLine(visit, options, isDamaged, out);
        }
        if (out.size() >= kChunk) {
            if (!sink(out))
                return false;
            out.clear();
        }
    }
    return out.isEmpty() || sink(out);
}

} // namespace

QByteArray generateLog(const LogGenOptions& options)
{
    QByteArray all;
    generate(options, [&all](QByteArray& chunk) {
        all.append(chunk);
        return true;
    });
    return all;
}

bool writeLog(const QString& path, const LogGenOptions& options, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const bool written =
        generate(options, [&file](QByteArray& chunk) { return file.write(chunk) == chunk.size(); });
    if (!written || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace tw::bench
