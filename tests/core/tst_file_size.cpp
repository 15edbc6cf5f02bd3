#include "core/file_size.h"

#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

class TestFileSize : public QObject {
    Q_OBJECT

private slots:
    void format_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << u"0Bytes"_s;
        QTest::newRow("999") << qint64(999) << u"999Bytes"_s;
        QTest::newRow("1000, no digit before the point") << qint64(1000) << u".98KB"_s;
        QTest::newRow("1536, one decimal") << qint64(1536) << u"1.5KB"_s;
        QTest::newRow("2048, zero decimal kept") << qint64(2048) << u"2.0KB"_s;
        QTest::newRow("1034, second decimal zero dropped") << qint64(1034) << u"1.01KB"_s;
        QTest::newRow("1029, rounds to 1.00") << qint64(1029) << u"1.0KB"_s;
        QTest::newRow("999999") << qint64(999999) << u"976.56KB"_s;
        QTest::newRow("1000000") << qint64(1000000) << u".95MB"_s;
        QTest::newRow("1048576") << qint64(1048576) << u"1.0MB"_s;
        QTest::newRow("218 MB") << qint64(228589568) << u"218.0MB"_s;
        QTest::newRow("beyond 32 bits") << qint64(5) * 1024 * 1024 * 1024 << u"5120.0MB"_s;
    }

    void format()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(formatFileSize(bytes), expected);
    }
};

QTEST_GUILESS_MAIN(TestFileSize)
#include "tst_file_size.moc"
