#include "support/test_files.h"

#include "core/cp932.h"

#include <QFile>

namespace tw::test {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray sjis(const char* utf8)
{
    return cp932::encode(QString::fromUtf8(utf8));
}

QByteArray listFileBytes(const QList<QStringList>& records)
{
    static const char* const labels[5] = {"ブラウザ:", "ホスト:", "IP:", "日付時間:", "前回頁:"};
    QByteArray out = "#Tallyweaver_Header\r\n";
    for (const QStringList& r : records) {
        QString line;
        for (int k = 0; k < 5; ++k) {
            if (k)
                line += u'\t';
            line += QString::fromUtf8(labels[k]) + r.value(k);
        }
        out += cp932::encode(line) + "\r\n";
    }
    return out;
}

QString sourcePath(const QString& relative)
{
    return QStringLiteral(TW_SOURCE_DIR "/") + relative;
}

} // namespace tw::test
