#include "core/url_open.h"

#include "core/platform.h"
#include "core/user_prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <utility>

using namespace Qt::StringLiterals;

namespace tw {

QString urlHostName(const QString& text)
{
    if (!text.contains("http"_L1))
        return {};
    const qsizetype separator = text.indexOf("://"_L1);
    if (separator < 0)
        return {};
    const qsizetype start = separator + 3;
    const qsizetype slash = text.indexOf(u'/', start);
    return slash < 0 ? text.mid(start) : text.mid(start, slash - start);
}

bool isLaunchableRowAddress(const QString& text)
{
    for (const auto scheme : {"http://"_L1, "https://"_L1, "mailto:"_L1}) {
        if (text.size() > scheme.size() && text.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString helpPageUrl(const QString& programFolder)
{
    const QString name = u"help.html"_s;
    const QDir folder(programFolder);
    QStringList candidates{folder.filePath(name),
                           folder.filePath(u"../share/tallyweaver/"_s + name)};
    const QString system =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"tallyweaver/"_s + name);
    if (!system.isEmpty())
        candidates.append(system);

    QString path = candidates.first();
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile()) {
            path = candidate;
            break;
        }
    }
    return QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()))
        .toString(QUrl::FullyEncoded);
}

UrlOpener::UrlOpener(std::function<UrlOpenPolicy()> policy, Platform& platform,
                     UserPrompts& prompts)
    : m_policy(std::move(policy)), m_platform(platform), m_prompts(prompts)
{
}

void UrlOpener::openUrl(const QString& url)
{
    // Mail addresses always go to the desktop's mail program.
    const UrlOpenPolicy policy = m_policy();
    if (url.contains("mailto:"_L1) || !policy.useBrowser) {
        // A refusal by the desktop is not reported.
        m_platform.openUrl(url);
        return;
    }
    // The URL is one argument, never a shell command line.
    if (policy.browserPath.isEmpty() || !m_platform.startProgram(policy.browserPath, {url})) {
        m_prompts.message(
            u"エラー"_s,
            u"[設定]のURLを開くブラウザで指定されたブラウザが見つかりません。\r\n[設定]を確認してください。"_s,
            MessageIcon::Warning);
    }
}

void UrlOpener::openRowUrl(const QString& url)
{
    if (!isLaunchableRowAddress(url)) {
        m_prompts.beep();
        return;
    }
    openUrl(url);
}

} // namespace tw
