#include "cli/cli.h"
#include "cli/standard_output.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    tw::cli::StandardOutput standardOutput;
    QTextStream out(&standardOutput);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = tw::runCli(app.arguments().mid(1), out, err);
    err.flush();
    return status;
}
