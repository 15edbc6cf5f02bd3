#pragma once

#include "core/clock.h"
#include "core/list_font.h"
#include "settings/settings.h"

#include <QString>

#include <array>

namespace tw {

class IniDocument;

class MenuHistory;

// The list font and colour as one unit.
ListFont listFontOf(const Settings& s);
void setListFont(Settings& s, const ListFont& f);

// What load and save need from the main window, so they run without one. Lengths are twips.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    // Called for the width, then for the height as read; the other argument is the current value.
    virtual void setWindowSize(qint32 width, qint32 height) = 0;
    virtual double windowWidth() const = 0;
    virtual double windowHeight() const = 0;
    virtual double innerWidth() const = 0;
    virtual std::array<double, 5> columnWidths() const = 0; // the main list's columns now
    virtual ListFont initialListFont() const = 0;           // before any settings were applied
    // What the main list's columns need for their typical content in the list font; 0 where
    // a column's share of the window is enough.
    virtual std::array<double, 5> typicalColumnWidths() const { return {}; }
};

// The settings file: loaded once at start-up, saved once when the main window closes.
class SettingsFile {
public:
    SettingsFile(QString path, Settings& settings, MenuHistory& history, SettingsHost& host,
                 const Clock& clock, QString versionText);

    // False for a missing file, a number that does not convert (fields read before it keep their
    // new values) and an old-format file, which is migrated on the way.
    bool load();
    // Writes the new-file text and sets the new-file defaults in memory even when writing fails.
    bool create();
    // Writes every key in one go; false when the file cannot be written.
    bool save();
    // Converts an old-format file, keeping it as "TALLYWVR.OLD" beside the settings file.
    bool migrate();
    // Start-up: load, else keep a file that failed to load as "TALLYWVR.OLD" and create a new
    // one. False when there is no usable file afterwards (the defaults are in memory then).
    bool loadOrCreate();

    QString path() const { return m_path; }
    QString backupPath() const; // "TALLYWVR.OLD" beside the settings file

private:
    void applyNewFileDefaults();
    void loadFilters(const IniDocument& doc);
    void saveFilters(IniDocument& doc) const;
    bool copyToBackup(const QByteArray& bytes) const;

    QString m_path;
    Settings& m_settings;
    MenuHistory& m_history;
    SettingsHost& m_host;
    const Clock& m_clock;
    QString m_versionText;
    bool m_migrated = false; // the last load converted an old-format file
};

} // namespace tw
