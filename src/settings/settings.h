#pragma once

#include "core/url_open.h"

#include <QList>
#include <QString>

#include <array>

namespace tw {

// A filter the user named, as the filter bar stores it (the settings keep its text as it is).
struct SavedFilter {
    QString name;
    QString definition;
    bool operator==(const SavedFilter&) const = default;
};

// How many named filters the settings keep.
constexpr int kMaxSavedFilters = 100;

// The process-wide preferences record. Field names follow the settings-file keys.
struct Settings {
    // The ten flags packed into StatusValues (bit values in the comments).
    int ShwTBar = 0;         // 1
    int ShwSBar = 0;         // 2
    int LGridView = 0;       // 4
    int LLineValue = 0;      // 8
    int UrlOMode = 0;        // 16
    int SearchMatchCase = 0; // 32
    int LstFontBld = 0;      // 64
    int LstFontItr = 0;      // 128
    int LstFontStr = 0;      // 256
    int LstFontUnd = 0;      // 512

    QString BrowserPath;
    QString InitDir;
    int ALogMax = 0;
    qint32 Font_Color = 0;
    int Font_Size = 0;
    QString Font_Name;
    std::array<QString, 3> Pratform;
    std::array<QString, 10> SearchHistory;
    std::array<qint32, 5> ColumnWidths{}; // C1_Width .. C5_Width, twips

    // Section FILTER, which older versions ignore: written only once it holds anything.
    int FilterBar = 0; // the filter bar is shown
    QList<SavedFilter> SavedFilters;

    int statusValues() const;
    void setStatusFlags(int statusValues); // sets the flags whose bits are set, leaves the rest

    bool operator==(const Settings&) const = default;
};

UrlOpenPolicy urlOpenPolicy(const Settings& s);

} // namespace tw
