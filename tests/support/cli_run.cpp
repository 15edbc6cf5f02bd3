#include "support/cli_run.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <sys/resource.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace tw::test {

CliRun runCli(const QStringList& args, const std::function<void()>& setup,
              const QString& tempFolder, const QString& outputFile, int msecs)
{
    QProcess process;
    if (!tempFolder.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TMPDIR"_s, tempFolder);
        process.setProcessEnvironment(env);
    }
    if (setup)
        process.setChildProcessModifier(setup);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(TW_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(msecs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::function<void()> fileSizeLimit(long bytes)
{
    return [bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
}

std::function<void()> memoryLimit(long bytes)
{
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves far more address space than any such limit leaves.
    Q_UNUSED(bytes);
    return {};
#endif
    return [bytes] {
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        setrlimit(RLIMIT_AS, &limit);
    };
}

const QStringList kMsieRecord = {u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"_s,
                                 u"p1234-ip01.tokyo.example.ne.jp"_s, u"10.0.0.1"_s,
                                 u"2001/05/01 09:05:33"_s,
                                 u"http://search.example.co.jp/bin/search?p=表示+ソフト"_s};
const QStringList kWwwcRecord = {u"WWWC/1.03"_s, u""_s, u"10.0.0.2"_s, u"2001/05/01 09:06:00"_s,
                                 u"-"_s};

} // namespace tw::test
