// tw-loggen: writes a seeded, reproducible access log for benchmarks, tests and the samples.
#include "loggen.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const char* const kUsage =
    "Usage: tw-loggen --rows N [--seed S] [--format twv|combined] [--pages N]\n"
    "                 [--raw] [--damaged N] [--long-pages BYTES] -o OUT\n"
    "  --rows N       number of visits (default 1000)\n"
    "  --seed S       random seed (default 1); the same seed gives the same bytes\n"
    "  --format F     twv: list file, CP932 with CR LF (default);\n"
    "                 combined: the same visits in Apache Combined Log Format\n"
    "  --pages N      distinct previous-page URLs (default 300)\n"
    "  --raw          a raw access log: no header line, bare LF line ends\n"
    "  --damaged N    N rows lose their browser label (for trying the repair)\n"
    "  --long-pages B every visit comes from its own previous page of about B bytes\n";

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
            if (value == u"twv")
                options.format = tw::bench::LogFormat::List;
            else if (value == u"combined")
                options.format = tw::bench::LogFormat::Combined;
            else
                ok = false;
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

    QString error;
    if (!tw::bench::writeLog(output, options, &error)) {
        err << output << ": " << error << '\n';
        return 4;
    }
    return 0;
}
