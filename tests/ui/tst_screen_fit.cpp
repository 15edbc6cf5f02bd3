#include "ui/screen_fit.h"

#include <QTest>

using namespace tw;

class TestScreenFit : public QObject {
    Q_OBJECT

private slots:
    void sizeWithin_data();
    void sizeWithin();
    void placeOnScreens_data();
    void placeOnScreens();
};

void TestScreenFit::sizeWithin_data()
{
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("fits") << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("huge") << QSize(143165576, 143165576) << QSize(1280, 1000);
    QTest::newRow("too wide only") << QSize(5000, 500) << QSize(1280, 500);
    QTest::newRow("negative") << QSize(-5, -143165576) << QSize(200, 100);
}

void TestScreenFit::sizeWithin()
{
    QFETCH(QSize, wanted);
    QFETCH(QSize, expected);
    QCOMPARE(tw::sizeWithin(wanted, QSize(200, 100), QRect(0, 24, 1280, 1000)), expected);
}

void TestScreenFit::placeOnScreens_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("on the first") << QRect(100, 100, 400, 300) << QPoint(100, 100);
    QTest::newRow("partly off the left") << QRect(-300, 100, 400, 300) << QPoint(-300, 100);
    QTest::newRow("on the second") << QRect(1500, 50, 400, 300) << QPoint(1500, 50);
    QTest::newRow("far right") << QRect(90000, 100, 400, 300) << QPoint(0, 24);
    QTest::newRow("above every screen") << QRect(100, -2000, 400, 300) << QPoint(0, 24);
    QTest::newRow("in the gap below the second") << QRect(1400, 900, 400, 300) << QPoint(0, 24);
}

void TestScreenFit::placeOnScreens()
{
    QFETCH(QRect, frame);
    QFETCH(QPoint, expected);
    const QList<QRect> screens = {QRect(0, 24, 1280, 1000), QRect(1280, 0, 1024, 768)};
    QCOMPARE(tw::placeOnScreens(frame, screens), expected);
}

QTEST_GUILESS_MAIN(TestScreenFit)
#include "tst_screen_fit.moc"
