// tw-loggen: writes a seeded, reproducible access log for benchmarks, tests and the samples.
#include "loggen.h"

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QStringList>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const char* const kUsage =
    "Usage: tw-loggen --rows N [--seed S] [--format F] [--pages N] [--raw] [--damaged N]\n"
    "                 [--long-pages BYTES] [--crlf] [--gzip] [--rare-rows|--no-rare-rows]\n"
    "                 [--start YYYY-MM-DD] [--days N] [--agents N] -o OUT\n"
    "  --rows N       number of visits (default 1000)\n"
    "  --seed S       random seed (default 1); the same seed and options give the same bytes\n"
    "  --format F     twv: list file, CP932 with CR LF (default);\n"
    "                 common: Common Log Format (%h %l %u %t \"%r\" %>s %b);\n"
    "                 combined: Combined (common plus \"%{Referer}i\" \"%{User-Agent}i\");\n"
    "                 vcombined: Combined behind \"%v:%p \" (a few rows \"%v \");\n"
    "                 w3c: W3C extended log as IIS writes it, #Fields changed halfway\n"
    "  --pages N      distinct previous-page URLs (default 300)\n"
    "  --raw          list file: no header line, bare LF line ends\n"
    "  --damaged N    N rows lose their browser label (list) or are cut short (web formats)\n"
    "  --long-pages B every visit comes from its own previous page of about B bytes\n"
    "  --crlf         CR LF line ends (web formats write LF unless given)\n"
    "  --gzip         write the output gzip-compressed\n"
    "  --rare-rows    web formats: a few rows with IPv6 clients, current browsers and bots,\n"
    "                 escaped user agents, UTF-8 or CP932 referrers, remote users, 408 with\n"
    "                 no request; on by default except for combined, whose plain bytes\n"
    "                 older benchmark data depend on\n"
    "  --no-rare-rows web formats: none of those rows\n"
    "  --start D      day of the first visit (default 2001-05-01)\n"
    "  --days N       the visits spread over about N days, a fraction too (default 90)\n"
    "  --agents N     the user agents are N distinct present-day ones (browsers on desktops\n"
    "                 and phones, crawlers, tools), a few of them on most rows; every one\n"
    "                 appears when there are at least N rows\n";

const QHash<QString, tw::bench::LogFormat> kFormats = {
    {u"twv"_s, tw::bench::LogFormat::List},
    {u"common"_s, tw::bench::LogFormat::Common},
    {u"combined"_s, tw::bench::LogFormat::Combined},
    {u"vcombined"_s, tw::bench::LogFormat::VCombined},
    {u"w3c"_s, tw::bench::LogFormat::W3C}};

int usage(QTextStream& err, const QString& message)
{
    err << "tw-loggen: " << message << '\n' << kUsage;
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    tw::bench::LogGenOptions options;
    QString output;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == u"--help" || arg == u"-h") {
            out << kUsage;
            return 0;
        }
        if (arg == u"--raw") {
            options.header = false;
            options.bareLf = true;
            continue;
        }
        if (arg == u"--crlf" || arg == u"--gzip" || arg == u"--rare-rows" ||
            arg == u"--no-rare-rows") {
            if (arg == u"--crlf")
                options.crlf = true;
            else if (arg == u"--gzip")
                options.gzip = true;
            else
                options.rareRows = arg == u"--rare-rows";
            continue;
        }
        if (i + 1 >= args.size())
            return usage(err, u"%1 needs a value"_s.arg(arg));
        const QString value = args.at(++i);
        bool ok = true;
        if (arg == u"--rows") {
            options.rows = value.toLongLong(&ok);
            ok = ok && options.rows >= 0;
        } else if (arg == u"--seed") {
            options.seed = value.toULongLong(&ok);
        } else if (arg == u"--pages") {
            options.distinctPages = value.toInt(&ok);
            ok = ok && options.distinctPages > 0;
        } else if (arg == u"--long-pages") {
            options.longPageBytes = value.toInt(&ok);
            ok = ok && options.longPageBytes >= 0;
        } else if (arg == u"--damaged") {
            options.damagedRows = value.toLongLong(&ok);
            ok = ok && options.damagedRows >= 0;
        } else if (arg == u"--format") {
            const auto format = kFormats.find(value);
            ok = format != kFormats.end();
            if (ok)
                options.format = *format;
        } else if (arg == u"--start") {
            const QDate day = QDate::fromString(value, Qt::ISODate);
            ok = day.isValid();
            options.startDay = day.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
        } else if (arg == u"--days") {
            options.spanDays = value.toDouble(&ok);
            ok = ok && options.spanDays > 0;
        } else if (arg == u"--agents") {
            options.agents = value.toInt(&ok);
            ok = ok && options.agents > 0 && options.agents <= 1000000;
        } else if (arg == u"-o") {
            output = value;
        } else {
            return usage(err, u"unknown option %1"_s.arg(arg));
        }
        if (!ok)
            return usage(err, u"bad value for %1: %2"_s.arg(arg, value));
    }
    if (output.isEmpty())
        return usage(err, u"-o OUT is required"_s);
    // The list file has CR LF line ends unless --raw; --crlf keeps them in a raw one.
    if (options.crlf)
        options.bareLf = false;

    QString error;
    if (!tw::bench::writeLog(output, options, &error)) {
        err << output << ": " << error << '\n';
        return 4;
    }
    return 0;
}
