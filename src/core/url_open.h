#pragma once

#include <QString>

namespace tw {

class Platform;
struct Settings;
class UserPrompts;

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

// Hands URLs to the desktop or to the browser named in the settings.
class UrlOpener {
public:
    UrlOpener(const Settings& settings, Platform& platform, UserPrompts& prompts);

    // A URL the program made itself (help page, home pages, the version dialog's links).
    void openUrl(const QString& url);
    // A URL read from a log row: anything but a web or mail address only beeps.
    void openRowUrl(const QString& url);

private:
    const Settings& m_settings;
    Platform& m_platform;
    UserPrompts& m_prompts;
};

} // namespace tw
