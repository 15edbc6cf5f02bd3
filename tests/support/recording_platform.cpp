#include "support/recording_platform.h"

namespace tw::test {

bool RecordingPlatform::openUrl(const QString& url)
{
    urls.append(url);
    return succeed;
}

bool RecordingPlatform::openDocument(const QString& path)
{
    documents.append(path);
    return succeed;
}

bool RecordingPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    launches.append({program, arguments});
    return succeed;
}

bool RecordingPlatform::startNewInstance(const QStringList& arguments)
{
    launches.append({QString(), arguments});
    return succeed;
}

} // namespace tw::test
