#include "analysis/agent_catalog.h"
#include "analysis/crawler_list.h"
#include "analysis/regex_literals.h"
#include "analysis/uap_parser.h"
#include "core/log_list.h"
#include "support/log_rows.h"
#include "support/test_files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <yaml-cpp/yaml.h>

#include <cstdlib>
#include <latch>
#include <new>
#include <thread>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

// Allocations left before memory "runs out" (every later one fails); -1: never.
std::atomic<long> g_allocationsLeft{-1};

} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsLeft.load(std::memory_order_relaxed) >= 0 &&
        g_allocationsLeft.fetch_sub(1) <= 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// Qt allocates some buffers with the nothrow form: they must come from the same heap.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

const char* const kDataSetTests = "/usr/share/uap-core/tests/";

const QString kChrome = u"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, "
                        "like Gecko) Chrome/131.0.0.0 Safari/537.36"_s;
const QString kIphone = u"Mozilla/5.0 (iPhone; CPU iPhone OS 18_1 like Mac OS X) "
                        "AppleWebKit/605.1.15 (KHTML, like Gecko) Version/18.1 Mobile/15E148 "
                        "Safari/604.1"_s;
const QString kGooglebot =
    u"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"_s;
const QString kGptBot = u"Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; "
                        "GPTBot/1.2; +https://openai.com/gptbot)"_s;

QString field(const YAML::Node& test, const char* key)
{
    const YAML::Node v = test[key];
    return v && !v.IsNull() ? QString::fromStdString(v.as<std::string>()) : QString();
}

struct Rate {
    int passed = 0;
    int total = 0;
};

const AgentInfo& classify(const QString& agent)
{
    return AgentCatalog::shared().classify(agent.toUtf8());
}

} // namespace

class TestAgentCatalog : public QObject {
    Q_OBJECT

private slots:
    // The data set's own test files, with and without the prefilter: the prefilter never changes
    // an answer, and the answers reach the pass rates measured when this was written.
    void dataSetTestFilesPass_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("floor");
        QTest::newRow("ua") << u"test_ua.yaml"_s << 1.0;
        QTest::newRow("os") << u"test_os.yaml"_s << 1.0;
        QTest::newRow("device") << u"test_device.yaml"_s << 1.0;
    }

    void dataSetTestFilesPass()
    {
        QFETCH(QString, file);
        QFETCH(double, floor);
        const QString path = QString::fromLatin1(kDataSetTests) + file;
        if (!QFile::exists(path))
            QSKIP("uap-core's test files are not installed");
        static const UapParser filtered;
        static const UapParser unfiltered(false);
        const YAML::Node cases = YAML::LoadFile(path.toStdString())["test_cases"];
        Rate rate;
        for (const YAML::Node& test : cases) {
            const QByteArray agent =
                QByteArray::fromStdString(test["user_agent_string"].as<std::string>());
            const PatternSubject subject(agent);
            QStringList expected{field(test, "family")};
            QStringList got, unfilteredGot;
            if (file == u"test_device.yaml") {
                got = {filtered.device(subject)};
                unfilteredGot = {unfiltered.device(subject)};
            } else {
                const bool ua = file == u"test_ua.yaml";
                const UapResult r = ua ? filtered.userAgent(subject) : filtered.os(subject);
                const UapResult u = ua ? unfiltered.userAgent(subject) : unfiltered.os(subject);
                const char* const keys[] = {"major", "minor", "patch", "patch_minor"};
                got = {r.family};
                unfilteredGot = {u.family};
                for (int k = 0; k < (ua ? 3 : 4); ++k) {
                    expected.append(field(test, keys[k]));
                    got.append(r.version[std::size_t(k)]);
                    unfilteredGot.append(u.version[std::size_t(k)]);
                }
            }
            QVERIFY2(got == unfilteredGot, agent.constData());
            ++rate.total;
            rate.passed += got == expected;
        }
        qInfo("%s: %d/%d (%.2f %%)", qPrintable(file), rate.passed, rate.total,
              100.0 * rate.passed / std::max(rate.total, 1));
        QVERIFY(rate.total > 100);
        QVERIFY(double(rate.passed) / rate.total >= floor);
    }

    void everyPatternCompiles()
    {
        const UapParser uap;
        const CrawlerList crawlers;
        for (const PatternList* list :
             {&uap.userAgentRules(), &uap.osRules(), &uap.deviceRules(), &crawlers.patterns()}) {
            for (qsizetype i = 0; i < list->size(); ++i)
                QVERIFY2(list->regex(i).isValid(), qPrintable(list->regex(i).pattern()));
            qInfo("%lld patterns, %lld without a required text", qlonglong(list->size()),
                  qlonglong(list->alwaysRun()));
        }
    }

    void requiredLiteralsNeverRuleOutAMatch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("entries"); // alternatives joined by "|"
        QTest::newRow("escaped slash") << uR"(Googlebot\/)"_s << QStringList{u"googlebot/"_s};
        QTest::newRow("alternatives")
            << uR"((Chrome|CriOS)/(\d+))"_s << QStringList{u"chrome|crios"_s};
        QTest::newRow("optional letters") << u"ab?cd*ef"_s << QStringList{u"ef"_s};
        QTest::newRow("repeated letter") << u"abc+de"_s << QStringList{u"abc"_s, u"cde"_s};
        QTest::newRow("empty branch") << uR"(Foo(?:\.(\d+)|))"_s << QStringList{u"foo"_s};
        QTest::newRow("optional group") << u"(?:Bar)?Baz"_s << QStringList{u"baz"_s};
        QTest::newRow("class") << u"[abc]def[^]x]yz"_s << QStringList{u"def"_s, u"yz"_s};
        QTest::newRow("hex escape") << uR"(\x41BC)"_s << QStringList{};
        QTest::newRow("lookahead") << u"(?!Edge)Chrome"_s << QStringList{u"chrome"_s};
        QTest::newRow("extended") << u"(?x) a b c"_s << QStringList{};
        QTest::newRow("invalid") << u"(abc"_s << QStringList{};
    }

    void requiredLiteralsNeverRuleOutAMatch()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, entries);
        const QByteArray utf8 = pattern.toUtf8();
        const RequiredLiterals r = requiredLiterals(utf8.toStdString());
        QStringList got;
        for (const auto& alternatives : r.allOf) {
            QStringList any;
            for (const std::string& s : alternatives)
                any.append(QString::fromStdString(s));
            got.append(any.join(u'|'));
        }
        got.sort();
        entries.sort();
        QCOMPARE(got, entries);
    }

    // Every example the crawler list gives for a pattern is a bot, with or without the prefilter.
    void crawlerListExamplesAreBots()
    {
        QFile file(QStringLiteral(TW_SOURCE_DIR) + u"/resources/bots/crawler-user-agents.json"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CrawlerList filtered;
        const CrawlerList unfiltered(false);
        int examples = 0;
        for (const QJsonValue& entry : QJsonDocument::fromJson(file.readAll()).array()) {
            for (const QJsonValue& instance : entry.toObject().value(u"instances"_s).toArray()) {
                const PatternSubject subject(instance.toString().toUtf8());
                const QString name = filtered.botName(subject);
                QVERIFY2(!name.isEmpty(), qPrintable(instance.toString()));
                QCOMPARE(name, unfiltered.botName(subject));
                ++examples;
            }
        }
        QVERIFY(examples > 1000);
    }

    void botsByDeviceOrByList()
    {
        const AgentInfo& google = classify(kGooglebot);
        QCOMPARE(google.device, u"Spider"_s);
        QCOMPARE(google.botName, u"Googlebot"_s);
        QVERIFY(classify(kGptBot).isBot());
        QCOMPARE(classify(u"python-requests/2.31.0"_s).botName, u"python-requests"_s);
        QCOMPARE(classify(u"Wget/1.21.4"_s).botName, u"Wget"_s);

        const AgentInfo& chrome = classify(kChrome);
        QVERIFY(!chrome.isBot());
        QCOMPARE(chrome.browserKey(), u"Chrome 131"_s);
        QCOMPARE(chrome.osKey(), u"Windows 10"_s);
        const AgentInfo& iphone = classify(kIphone);
        QCOMPARE(iphone.browserKey(), u"Mobile Safari 18"_s);
        QCOMPARE(iphone.osKey(), u"iOS 18"_s);
        QCOMPARE(iphone.device, u"iPhone"_s);

        LogList list;
        test::appendRows(list, {{kChrome}, {kGooglebot}, {kIphone}, {kGptBot}, {u"-"_s}});
        const auto kept = [&](BotChoice choice) {
            const std::optional<FilterCondition> c = botCondition(choice);
            QList<int> rows;
            for (qsizetype i = 0; i < list.rowCount(); ++i) {
                if (c->test(list, i))
                    rows.append(int(i));
            }
            return rows;
        };
        QVERIFY(!botCondition(BotChoice::Keep));
        QCOMPARE(botCondition(BotChoice::Exclude)->label(), u"ボットを除く"_s);
        QCOMPARE(botCondition(BotChoice::Only)->label(), u"ボットのみ"_s);
        QCOMPARE(kept(BotChoice::Exclude), (QList<int>{0, 2, 4}));
        QCOMPARE(kept(BotChoice::Only), (QList<int>{1, 3}));
    }

    // Many threads at once get one answer per agent, and agents that read alike share it.
    void threadsShareOneAnswerPerAgent()
    {
        AgentCatalog catalog;
        catalog.classify(""); // the rule lists are built: the threads race for the agents alone
        QList<QByteArray> agents;
        for (int i = 0; i < 2000; ++i)
            agents.append((i % 2 ? kChrome : kIphone).toUtf8() + " app/" + QByteArray::number(i));
        constexpr int kThreads = 8;
        std::vector<std::vector<const AgentInfo*>> seen(kThreads);
        std::latch start(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                start.arrive_and_wait();
                for (int i = 0; i < agents.size(); ++i)
                    seen[std::size_t(t)].push_back(
                        &catalog.classify(agents[(i * 7 + t * 31) % agents.size()]));
            });
        }
        for (std::thread& t : threads)
            t.join();
        for (int t = 0; t < kThreads; ++t) {
            for (int i = 0; i < agents.size(); ++i)
                QCOMPARE(seen[std::size_t(t)][std::size_t(i)],
                         &catalog.classify(agents[(i * 7 + t * 31) % agents.size()]));
        }
        QCOMPARE(&catalog.classify(agents[1]), &catalog.classify(agents[3]));
        QVERIFY(&catalog.classify(agents[0]) != &catalog.classify(agents[1]));
    }

    void agentsOfRowsFollowsTheSubset()
    {
        LogList list;
        test::Rows rows;
        for (int i = 0; i < 120000; ++i) // enough rows for every core
            rows.append({i % 3 == 0   ? kGooglebot
                         : i % 3 == 1 ? kChrome
                                      : kIphone + QString::number(i % 50)});
        test::appendRows(list, rows);
        const std::optional<std::vector<const AgentInfo*>> all = agentsOfRows(list, {});
        QVERIFY(all);
        QCOMPARE(all->size(), std::size_t(list.rowCount()));
        for (qsizetype i = 0; i < list.rowCount(); i += 997)
            QCOMPARE((*all)[std::size_t(i)], &classify(list.text(i, ColBrowser)));

        const std::vector<quint32> picked{5, 0, 4, 119999};
        const auto some = agentsOfRows(list, RowSubset(picked));
        QVERIFY(some);
        QCOMPARE(some->size(), picked.size());
        for (std::size_t k = 0; k < picked.size(); ++k)
            QCOMPARE((*some)[k], (*all)[picked[k]]);

        const std::atomic<bool> cancel{true};
        QVERIFY(!agentsOfRows(list, {}, &cancel));
    }

    // Memory running out on any core at any point reaches the caller as std::bad_alloc, and the
    // catalog keeps only whole answers: afterwards every row reads as with a new catalog.
    void memoryRunningOutLeavesTheCatalogWhole()
    {
        LogList list;
        test::Rows rows;
        for (int i = 0; i < 120000; ++i)
            rows.append({(i % 2 ? kChrome : kGptBot) + QString::number(i % 40)});
        test::appendRows(list, rows);
        // How many allocations a run with a new catalog makes.
        AgentCatalog whole;
        g_allocationsLeft = 1L << 40;
        const auto expected = agentsOfRows(whole, list, {});
        const long needed = (1L << 40) - g_allocationsLeft.exchange(-1);
        // Most of them build the rule lists, which the first agent does alone.
        AgentCatalog first;
        g_allocationsLeft = 1L << 40;
        first.classify("");
        const long built = (1L << 40) - g_allocationsLeft.exchange(-1);
        const long rest = needed - built;
        for (const long failAt :
             {0L, built / 2, built + rest / 4, built + rest / 2, built + rest * 3 / 4}) {
            AgentCatalog catalog;
            bool threw = false;
            g_allocationsLeft = failAt;
            try {
                agentsOfRows(catalog, list, {});
            } catch (const std::bad_alloc&) {
                threw = true;
            }
            g_allocationsLeft = -1;
            QVERIFY(threw);
            const auto got = agentsOfRows(catalog, list, {});
            for (std::size_t i = 0; i < 80; ++i) {
                const AgentInfo& a = *(*got)[i];
                const AgentInfo& b = *(*expected)[i];
                QCOMPARE(QStringList({a.browserKey(), a.osKey(), a.device, a.botName}),
                         QStringList({b.browserKey(), b.osKey(), b.device, b.botName}));
            }
        }
    }

    // Hostile user agents are classified without crashing and in reasonable time.
    void hostileAgentsFinish()
    {
        AgentCatalog catalog;
        const QByteArray agents[] = {
            QByteArray(10240, '('),
            QByteArray(10240, 'a') + "Googlebot/",
            QByteArray("Mozilla/5.0 (\xff\xfe\xc3; Android \xe3\x81) Chrome/1\x80"),
            QByteArray(),
            QByteArray("Mozilla/5.0 ") + QByteArray(20000, ' ') + "(compatible; bot",
        };
        for (const QByteArray& agent : agents) {
            const AgentInfo& info = catalog.classify(agent);
            QVERIFY(!info.browser.isEmpty() && !info.os.isEmpty() && !info.device.isEmpty());
        }
        QCOMPARE(catalog.classify(agents[0]).browser, u"Other"_s);
    }
};

QTEST_GUILESS_MAIN(TestAgentCatalog)
#include "tst_agent_catalog.moc"
