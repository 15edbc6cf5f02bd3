#include "loggen_web_visits.h"

#include <array>
#include <cstdio>
#include <iterator>

namespace tw::bench {
namespace {

const char* const kVirtualHosts[] = {"www.hinode.ne.jp", "hinode.ne.jp", "bbs.hinode.ne.jp",
                                     "photo.hinode.ne.jp"};

const char* const kModernBrowsers[] = {
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/131.0.0.0 Safari/537.36",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/131.0.0.0 Safari/537.36 Edg/131.0.2903.70",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:133.0) Gecko/20100101 Firefox/133.0",
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/18.1 Safari/605.1.15",
    "Mozilla/5.0 (iPhone; CPU iPhone OS 18_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
    "Gecko) Version/18.1 Mobile/15E148 Safari/604.1",
    "Mozilla/5.0 (iPad; CPU OS 17_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/17.6 Mobile/15E148 Safari/604.1",
    "Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/131.0.0.0 Mobile Safari/537.36",
    "Mozilla/5.0 (Android 14; Mobile; rv:133.0) Gecko/133.0 Firefox/133.0",
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0 "
    "Safari/537.36",
};

const char* const kBots[] = {
    "Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like "
    "Gecko) Chrome/131.0.6778.69 Mobile Safari/537.36 (compatible; Googlebot/2.1; "
    "+http://www.google.com/bot.html)",
    "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
    "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)",
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.2; "
    "+https://openai.com/gptbot)",
    "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)",
    "Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)",
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/17.4 Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
    "curl/8.5.0",
    "python-requests/2.31.0",
};

// Texts a server has to escape: quotes, backslashes (one at the very end), control and
// non-ASCII bytes. Never tab or newline, which Apache writes as \t and \n.
const char* const kEscapedAgents[] = {
    "Mozilla/5.0 (compatible; \"Quoted\" Crawler/1.0)",
    "Agent\\2.1 (C:\\Program Files\\Agent\\)",
    "Mozilla/5.0 (Windows NT 10.0) Evil\\",
    "\"",
    "Mozilla/5.0 (Linux; Android 14; SH-M26 ビルド/1.0) Chrome/131.0.0.0",
    "Mozilla/5.0 \x01\x7f probe",
    "sqlmap\" OR \"1\"=\"1",
    "() { :; }; echo \\\"x\\\"",
};

const char* const kJapaneseWords[] = {"アクセス解析", "日記", "掲示板", "予定表", "能力",
                                      "ソフト",       "表示", "旅行",   "料理"};

const char* const kJapaneseReferrers[] = {
    "https://www.google.co.jp/search?q=", "https://search.yahoo.co.jp/search?p=",
    "https://ja.wikipedia.org/wiki/"};

const char* const kUsers[] = {"taro", "hanako", "admin"};

// Ranges Japanese providers and carriers hand out.
const char* const kIpv6Prefixes[] = {"240b:10", "2400:4050", "2001:268", "2409:10", "2404:7a80"};

// Assigned from a string rather than a literal, which GCC 12 wrongly warns about (-Wrestrict).
const std::string kNone = "-";

template <std::size_t N> const char* pick(std::mt19937_64& rng, const char* const (&list)[N])
{
    return list[rng() % N];
}

} // namespace

bool withRareRows(const LogGenOptions& options)
{
    return options.rareRows.value_or(options.format != LogFormat::List &&
                                     options.format != LogFormat::Combined);
}

WebVisitDetails::WebVisitDetails(const LogGenOptions& options) : m_rareRows(withRareRows(options))
{
    // A stream apart from the visits' own.
    std::seed_seq seed{std::uint32_t(options.seed), std::uint32_t(options.seed >> 32),
                       std::uint32_t(0x7765626c)};
    m_rng.seed(seed);
}

std::string WebVisitDetails::makeIpv6()
{
    char buffer[64];
    const char* prefix = pick(m_rng, kIpv6Prefixes);
    const auto group = [this] { return unsigned(below(0x10000)); };
    switch (below(8)) {
    case 0: // an IPv4 client on a dual-stack socket
        std::snprintf(buffer, sizeof buffer, "::ffff:%u.%u.%u.%u", unsigned(below(223)) + 1,
                      unsigned(below(256)), unsigned(below(256)), unsigned(below(254)) + 1);
        break;
    case 1:
    case 2: // a fixed interface identifier
        std::snprintf(buffer, sizeof buffer, "%s:%x:%x::%x", prefix, group(), group(), group());
        break;
    default: // a temporary address
        std::snprintf(buffer, sizeof buffer, "%s:%x:%x:%x:%x:%x:%x", prefix, group(), group(),
                      group(), group(), group(), group());
        break;
    }
    return buffer;
}

std::string WebVisitDetails::makeJapaneseReferrer()
{
    std::string url = pick(m_rng, kJapaneseReferrers);
    url += pick(m_rng, kJapaneseWords);
    if (below(2)) {
        url += '+';
        url += pick(m_rng, kJapaneseWords);
    }
    return url;
}

void WebVisitDetails::add(Visit& visit)
{
    visit.virtualHost = pick(m_rng, kVirtualHosts);
    visit.port = below(10) < 7 ? 443 : 80;
    visit.timeTakenMs = int(below(below(20) ? 300 : 30000));
    visit.protocol = "HTTP/1.0";
    visit.user.clear();
    visit.referrerBytes = ReferrerBytes::PercentCp932;
    visit.portLogged = true;
    if (!m_rareRows)
        return;

    using Rates = RareRowRates;
    if (chance(Rates::ipv6Client)) {
        visit.ip = makeIpv6();
        visit.host = visit.ip;
    }
    if (chance(Rates::modernBrowser)) {
        visit.browser = pick(m_rng, kModernBrowsers);
        visit.protocol = "HTTP/1.1";
    }
    if (chance(Rates::bot)) {
        visit.browser = pick(m_rng, kBots);
        visit.protocol = "HTTP/1.1";
        visit.previousPage = kNone;
    }
    if (chance(Rates::escapedAgent))
        visit.browser = pick(m_rng, kEscapedAgents);
    if (chance(Rates::utf8Referrer)) {
        visit.previousPage = makeJapaneseReferrer();
        visit.referrerBytes = below(2) ? ReferrerBytes::RawUtf8 : ReferrerBytes::EscapedUtf8;
    } else if (chance(Rates::cp932Referrer)) {
        visit.previousPage = makeJapaneseReferrer();
        visit.referrerBytes = ReferrerBytes::RawCp932;
    }
    if (chance(Rates::remoteUser))
        visit.user = pick(m_rng, kUsers);
    if (chance(Rates::timeout408)) {
        // The client sent nothing before the server gave up.
        visit.requestPath.clear();
        visit.status = 408;
        visit.bytes = 0;
        visit.previousPage = kNone;
        visit.browser.clear();
        visit.user.clear();
    }
    visit.portLogged = !chance(Rates::hostWithoutPort);
}

} // namespace tw::bench
