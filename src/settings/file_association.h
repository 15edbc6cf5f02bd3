#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// Where the user's desktop keeps its data and configuration.
struct XdgFolders {
    QString dataHome;          // $XDG_DATA_HOME, else ~/.local/share
    QString configHome;        // $XDG_CONFIG_HOME, else ~/.config
    QStringList dataDirs = {}; // $XDG_DATA_DIRS, else /usr/local/share and /usr/share

    static XdgFolders fromEnvironment();
};

// The association of list files (*.twv) with this program, the freedesktop way: a MIME type
// package and a desktop entry in the user's data folder, and the user's default application for
// that MIME type in mimeapps.list. When the program runs from an installed prefix whose desktop
// entry the desktop sees, that entry is named instead and no per-user copy is written, since
// one would hide the installed entry.
class ListFileAssociation {
public:
    // executablePath: the program that list files are opened with. refreshDatabases: run
    // update-mime-database and update-desktop-database (when installed) after a change.
    ListFileAssociation(XdgFolders folders, QString executablePath, bool refreshDatabases = true);

    // True exactly when the user's default application for list files is our desktop entry.
    bool isListFileAssociated() const;
    // 1: register (nothing is written when already associated); 0: remove our entries, whether
    // or not they exist. Failures are not reported; the check shows the outcome.
    void setListFileAssociation(int value);

    QString mimePackagePath() const;
    QString desktopEntryPath() const;
    QString mimeAppsPath() const;

    static QString applicationId();    // "org.example.tallyweaver"
    static QString mimeType();         // "application/x-tallyweaver-list"
    static QString desktopEntryName(); // applicationId() + ".desktop"

    // The MIME package and desktop entry written for a program that is not installed; the
    // installed files hold the same texts, with Exec naming the program on the PATH.
    static QString mimePackageText();
    static QString desktopEntryText(const QString& executablePath);

private:
    bool associate();
    void dissociate();
    void refresh() const;
    QString installedDataFolder() const;
    bool perUserFilesAreInstalled() const;
    void removePerUserFiles() const;

    XdgFolders m_folders;
    QString m_executablePath;
    bool m_refreshDatabases;
};

// The Exec value of a desktop entry starting program with the file as its one argument.
QString desktopExecLine(const QString& program);

} // namespace tw
