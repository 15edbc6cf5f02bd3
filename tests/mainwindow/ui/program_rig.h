#pragma once

#include "core/clock.h"
#include "core/startup.h"
#include "mainwindow/ui/main_program.h"
#include "mainwindow/ui/main_window.h"
#include "support/recording_platform.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tw::test {

// Rows that differ in host, IP length and previous page.
inline QList<QStringList> records(const QStringList& hosts)
{
    QList<QStringList> out;
    for (const QString& h : hosts)
        out.append({QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)"), h,
                    QStringLiteral("10.0.0.") + QString::number(h.size()),
                    QStringLiteral("2001/12/03 09:05:00"),
                    QStringLiteral("http://example.com/") + h});
    return out;
}

// A started program with recording stand-ins, its settings file in a temporary folder.
struct Program {
    // settingsBytes, when given, is the settings file found at start-up.
    explicit Program(const QString& fileToOpen = {}, const QStringList& rest = {},
                     const QByteArray& settingsBytes = {})
        : clock(QDateTime(QDate(2001, 12, 3), QTime(9, 5))), program(prompts, platform, clock)
    {
        platform.temp = dir.path();
        if (!settingsBytes.isEmpty()) {
            QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
            writeBytes(settingsPath(), settingsBytes);
        }
        StartupArguments args;
        args.fileToOpen = fileToOpen;
        args.rest = rest;
        program.start(args, settingsPath());
    }
    QString settingsPath() const { return dir.filePath(QStringLiteral("conf/TALLYWVR.INI")); }
    MainWindow& window() { return program.window(); }
    QString panel(int n) { return window().statusText(n); }
    QAction* action(const QString& name) { return window().findChild<QAction*>(name); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    RecordingPlatform platform;
    FixedClock clock;
    MainProgram program;
};

// A settings file as a previous run saved it, with the given WINDOW section and font size.
inline QByteArray settingsFileBytes(const QByteArray& window, int fontSize = 9)
{
    return "[PREF]\r\nStatusValues=11\r\nALogMax=0\r\nFont_Color=0\r\nFont_Size=" +
           QByteArray::number(fontSize) + "\r\nFont_Name=Noto Sans CJK JP\r\n[WINDOW]\r\n" + window;
}

inline QString listFile(const QTemporaryDir& dir, const QString& name, const QStringList& hosts)
{
    const QString path = dir.filePath(name);
    writeBytes(path, listFileBytes(records(hosts)));
    return path;
}

inline QString listFileOfRows(const QTemporaryDir& dir, const QString& name,
                              const QList<QStringList>& rows)
{
    const QString path = dir.filePath(name);
    writeBytes(path, listFileBytes(rows));
    return path;
}

inline QStringList hostColumn(const QAbstractItemModel* model)
{
    QStringList hosts;
    for (int r = 0; r < model->rowCount(); ++r)
        hosts.append(model->index(r, ColHost).data().toString());
    return hosts;
}

} // namespace tw::test
