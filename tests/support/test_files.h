#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tw::test {

// Writes raw bytes; returns false when the file cannot be written.
bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

// CP932 bytes of a UTF-8 literal, for building file contents in tests.
QByteArray sjis(const char* utf8);

// A list file with the given records, each a TAB-joined line of five label-prefixed fields.
QByteArray listFileBytes(const QList<QStringList>& records);

QString sourcePath(const QString& relative);

} // namespace tw::test
