#pragma once

#include <QString>

#include <functional>

namespace tw {

class Platform;
class UserPrompts;

// How the user wants web pages opened: by the desktop, or by the browser at browserPath.
struct UrlOpenPolicy {
    bool useBrowser = false;
    QString browserPath;
};

// The host part of an http URL: the text after the first "://" up to the next "/", or to the
// end when there is none. Empty when the text lacks "http" or "://". Also names the shortcut
// file of a dragged row, so the result never holds a "/".
QString urlHostName(const QString& text);

// Texts taken from log rows may go to the desktop or a browser only when they are web or mail
// addresses: "http://", "https://" or "mailto:" (any case) followed by something.
bool isLaunchableRowAddress(const QString& text);

// The help page: "help.html" beside the program, else in the installed data folder
// (<prefix>/share/tallyweaver/ next to <prefix>/bin, or a system data folder), as a file:// URL.
// When none exists the URL names the file beside the program.
QString helpPageUrl(const QString& programFolder);

// Hands URLs to the desktop or to the browser the user named; policy is asked at every URL, so a
// change of preference takes effect at once.
class UrlOpener {
public:
    UrlOpener(std::function<UrlOpenPolicy()> policy, Platform& platform, UserPrompts& prompts);

    // A URL the program made itself (help page, home pages, the version dialog's links).
    void openUrl(const QString& url);
    // A URL read from a log row: anything but a web or mail address only beeps.
    void openRowUrl(const QString& url);

private:
    std::function<UrlOpenPolicy()> m_policy;
    Platform& m_platform;
    UserPrompts& m_prompts;
};

} // namespace tw
