// Draws the pictures of the preferences and version dialogs: the eight 16 x 16 browser icons of
// the preview list into resources/icons/prefs/ and the eleven dialog pictures 201 to 211 (201 the
// title picture, 202 the banner) into resources/pictures/.
//   g++ -std=c++20 -fPIC tools/draw_pref_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o dpi
//   QT_QPA_PLATFORM=offscreen ./dpi resources
#include "drawing.h"

#include <QDir>
#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace {

using namespace tw::tools;

constexpr int kPictureWidth = 192;
constexpr int kPictureHeight = 48;

bool writePicture(const QString& folder, int number, const Draw& draw)
{
    return savePng(paintImage(kPictureWidth, kPictureHeight, Qt::white, 1.0, draw),
                   folder + QStringLiteral("/picture_%1.png").arg(number));
}

// Eight preview icons: plain geometric signs, one colour each.

void iconCompass(QPainter& p)
{
    p.setPen(pen(QColor(0x0b, 0x5e, 0x6e)));
    p.setBrush(QColor(0x2a, 0x9d, 0xae));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(pathThrough({{8, 2.8}, {9.6, 8}, {8, 13.2}, {6.4, 8}}, true)); // the needle
}

void iconDocument(QPainter& p)
{
    p.setPen(pen(QColor(0x1d, 0x3f, 0x8c)));
    p.setBrush(QColor(0xe4, 0xec, 0xfa));
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
    p.setPen(pen(QColor(0x2f, 0x62, 0xc8), 1.2));
    for (qreal y = 5; y <= 11; y += 2)
        p.drawLine(QPointF(5, y), QPointF(y > 10 ? 9 : 11, y));
}

void iconTiles(QPainter& p)
{
    const QColor colours[4] = {QColor(0xd9, 0x48, 0x3b), QColor(0xf2, 0xb1, 0x34),
                               QColor(0x3b, 0x8e, 0xd9), QColor(0x4a, 0xb0, 0x5a)};
    p.setPen(pen(QColor(0x40, 0x40, 0x40), 0.6));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
    }
}

void iconTerminal(QPainter& p)
{
    p.setPen(pen(QColor(0x20, 0x20, 0x20)));
    p.setBrush(QColor(0x18, 0x18, 0x18));
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
    p.setPen(pen(QColor(0x5c, 0xe0, 0x6a), 1.3));
    p.drawLine(QPointF(4, 6), QPointF(6.5, 8));
    p.drawLine(QPointF(6.5, 8), QPointF(4, 10));
    p.drawLine(QPointF(8, 10.5), QPointF(11.5, 10.5));
}

void iconLeaf(QPainter& p)
{
    QPainterPath leaf;
    leaf.moveTo(2.5, 13.5);
    leaf.cubicTo(2.5, 5, 7, 2, 13.5, 2.5);
    leaf.cubicTo(13.5, 9, 10, 13.5, 2.5, 13.5);
    p.setPen(pen(QColor(0x2c, 0x6e, 0x2a)));
    p.setBrush(QColor(0x7c, 0xc4, 0x5a));
    p.drawPath(leaf);
    p.setPen(pen(QColor(0x2c, 0x6e, 0x2a), 0.9));
    p.drawLine(QPointF(3.5, 12.5), QPointF(11, 5));
}

void iconCup(QPainter& p)
{
    p.setPen(pen(QColor(0x5a, 0x34, 0x18)));
    p.setBrush(QColor(0xa8, 0x6a, 0x38));
    p.drawPath(pathThrough({{2.5, 7.5}, {11.5, 7.5}, {10.5, 13.5}, {3.5, 13.5}}, true));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 8.5, 4, 3.5), -90 * 16, 180 * 16);
    p.setPen(pen(QColor(0x90, 0x90, 0x90), 0.9));
    for (qreal x : {5.0, 8.0}) {
        QPainterPath steam;
        steam.moveTo(x, 6);
        steam.cubicTo(x - 1.2, 4.5, x + 1.2, 3.5, x, 1.5);
        p.drawPath(steam);
    }
}

void iconPlanet(QPainter& p)
{
    p.setPen(pen(QColor(0x4b, 0x2a, 0x7a)));
    p.setBrush(QColor(0x8e, 0x63, 0xc8));
    p.drawEllipse(QPointF(8, 8), 4.5, 4.5);
    p.setPen(pen(QColor(0xe8, 0xc0, 0x40), 1.2));
    p.setBrush(Qt::NoBrush);
    p.save();
    p.translate(8, 8);
    p.rotate(-20);
    p.drawArc(QRectF(-7.5, -2.5, 15, 5), 190 * 16, 160 * 16);
    p.restore();
}

void iconDiamond(QPainter& p)
{
    p.setPen(pen(QColor(0x9a, 0x3a, 0x10)));
    p.setBrush(QColor(0xf0, 0x7a, 0x2a));
    p.drawPath(pathThrough({{8, 1.5}, {14.5, 8}, {8, 14.5}, {1.5, 8}}, true));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0xb0));
    p.drawEllipse(QPointF(8, 8), 2, 2);
}

// Dialog pictures, 192 x 48: calm abstract drawings.

void background(QPainter& p, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(0, 0, 0, kPictureHeight);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, kPictureWidth, kPictureHeight), g);
}

void tallyMarks(QPainter& p, qreal x, qreal y, qreal h, const QColor& c)
{
    p.setPen(pen(c, 2.2));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(x + i * 5, y), QPointF(x + i * 5, y + h));
    p.drawLine(QPointF(x - 3, y + h - 3), QPointF(x + 18, y + 3));
}

void pictureTitle(QPainter& p)
{
    background(p, QColor(0x1e, 0x49, 0x79), QColor(0x3a, 0x78, 0xb8));
    // Woven threads behind the name.
    for (int i = 0; i < 7; ++i) {
        p.setPen(pen(QColor(255, 255, 255, 28 + i * 6), 1.4));
        QPainterPath thread;
        thread.moveTo(0, 6 + i * 6);
        for (int x = 0; x <= kPictureWidth; x += 24)
            thread.quadTo(x + 12, (i % 2 ? 0 : 12) + i * 6, x + 24, 6 + i * 6);
        p.drawPath(thread);
    }
    tallyMarks(p, 14, 12, 24, QColor(0xff, 0xd8, 0x60));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRectF(45, 1, 150, 48), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Tallyweaver"));
    p.setPen(Qt::white);
    p.drawText(QRectF(44, 0, 150, 48), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Tallyweaver"));
}

void pictureBanner(QPainter& p)
{
    background(p, QColor(0xf6, 0xf1, 0xe4), QColor(0xe6, 0xdc, 0xc4));
    p.setPen(pen(QColor(0xa6, 0x2d, 0x5a), 1.2));
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        wave.moveTo(0, 34 + i * 4);
        for (int x = 0; x <= kPictureWidth; x += 32)
            wave.cubicTo(x + 10, 26 + i * 4, x + 22, 42 + i * 4, x + 32, 34 + i * 4);
        p.drawPath(wave);
    }
    tallyMarks(p, 12, 6, 18, QColor(0x1e, 0x49, 0x79));
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setItalic(true);
    f.setBold(true);
    f.setPixelSize(17);
    p.setFont(f);
    p.setPen(QColor(0x1e, 0x49, 0x79));
    p.drawText(QRectF(40, 2, 150, 26), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Tallyweaver"));
}

void pictureBars(QPainter& p)
{
    background(p, QColor(0xee, 0xf4, 0xfb), QColor(0xd4, 0xe4, 0xf4));
    const int heights[] = {14, 22, 18, 30, 26, 36, 20, 28, 34, 16, 24, 32, 12, 26};
    for (int i = 0; i < 14; ++i) {
        const QColor c = QColor::fromHsv((200 + i * 9) % 360, 140, 200);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(8 + i * 13, 44 - heights[i], 9, heights[i]), 2, 2);
    }
    p.setPen(pen(QColor(0x50, 0x60, 0x80), 1));
    p.drawLine(QPointF(4, 44.5), QPointF(188, 44.5));
}

void pictureCircles(QPainter& p)
{
    background(p, QColor(0xfd, 0xf6, 0xe8), QColor(0xf6, 0xe2, 0xc0));
    for (int i = 0; i < 9; ++i) {
        const QColor c = QColor::fromHsv((20 + i * 37) % 360, 150, 230, 150);
        p.setPen(pen(c.darker(130), 1));
        p.setBrush(c);
        const qreal r = 6 + (i * 7) % 13;
        p.drawEllipse(QPointF(14 + i * 21, 24 + ((i % 3) - 1) * 9), r, r);
    }
}

void pictureWaves(QPainter& p)
{
    background(p, QColor(0xe8, 0xf7, 0xf3), QColor(0xc4, 0xe8, 0xdf));
    for (int i = 0; i < 6; ++i) {
        p.setPen(pen(QColor::fromHsv(165 + i * 8, 160, 150 + i * 15), 2));
        QPainterPath w;
        w.moveTo(0, 10 + i * 6);
        for (int x = 0; x < kPictureWidth; x += 48)
            w.cubicTo(x + 16, i * 6, x + 32, 20 + i * 6, x + 48, 10 + i * 6);
        p.drawPath(w);
    }
}

void pictureGrid(QPainter& p)
{
    background(p, QColor(0xf4, 0xf4, 0xf8), QColor(0xe2, 0xe2, 0xec));
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 16; ++col) {
            const int v = (row * 7 + col * 5) % 11;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromHsv(250 - v * 8, 40 + v * 15, 240 - v * 8));
            p.drawRect(QRectF(4 + col * 11.5, 4 + row * 10.5, 10, 9.5));
        }
    }
}

void pictureSpiral(QPainter& p)
{
    background(p, QColor(0x2a, 0x2e, 0x4a), QColor(0x44, 0x3a, 0x66));
    QPainterPath s;
    s.moveTo(96, 24);
    for (int t = 1; t < 360 * 4; t += 6) {
        const qreal a = t * M_PI / 180.0;
        const qreal r = t / 70.0;
        s.lineTo(96 + r * std::cos(a) * 2.6, 24 + r * std::sin(a));
    }
    p.setPen(pen(QColor(0xf0, 0xc8, 0x70), 1.4));
    p.drawPath(s);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 24; ++i) {
        p.setBrush(QColor(255, 255, 255, 60 + (i * 37) % 150));
        p.drawEllipse(QPointF((i * 53) % 192, (i * 29) % 48), 1.1, 1.1);
    }
}

void pictureTriangles(QPainter& p)
{
    background(p, QColor(0xfb, 0xee, 0xf0), QColor(0xf0, 0xd4, 0xda));
    for (int i = 0; i < 12; ++i) {
        const qreal x = i * 16;
        const bool up = i % 2 == 0;
        p.setPen(pen(QColor(0xa6, 0x2d, 0x5a, 120), 0.8));
        p.setBrush(QColor::fromHsv((330 + i * 6) % 360, 90 + (i % 3) * 30, 235, 170));
        p.drawPath(pathThrough(
            {{x, up ? 44.0 : 4.0}, {x + 16, up ? 44.0 : 4.0}, {x + 8, up ? 8.0 : 40.0}}, true));
    }
}

void pictureDots(QPainter& p)
{
    background(p, QColor(0xff, 0xff, 0xff), QColor(0xee, 0xee, 0xee));
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 24; ++col) {
            const qreal r = 1 + 2.4 * (0.5 + 0.5 * std::sin(col * 0.45 + row * 0.9));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x1e, 0x49, 0x79, 90 + row * 30));
            p.drawEllipse(QPointF(6 + col * 7.8, 6 + row * 9), r, r);
        }
    }
}

void pictureStripes(QPainter& p)
{
    background(p, QColor(0xf8, 0xf4, 0xdc), QColor(0xf8, 0xf4, 0xdc));
    p.save();
    p.rotate(-25);
    for (int i = -10; i < 30; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((400 + i * 14) % 360, 110, 230));
        p.drawRect(QRectF(i * 10, -60, 5, 200));
    }
    p.restore();
}

void pictureRings(QPainter& p)
{
    QRadialGradient g(96, 24, 110);
    g.setColorAt(0, QColor(0xff, 0xfa, 0xee));
    g.setColorAt(1, QColor(0xd8, 0xe6, 0xd0));
    p.fillRect(QRectF(0, 0, kPictureWidth, kPictureHeight), g);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i < 12; ++i) {
        p.setPen(pen(QColor::fromHsv((90 + i * 20) % 360, 120, 170, 180), 1.5));
        p.drawEllipse(QPointF(48, 24), i * 5.0, i * 3.2);
        p.drawEllipse(QPointF(144, 24), i * 4.0, i * 3.6);
    }
}

} // namespace

int main(int argc, char** argv)
{
    return runDrawingTool(argc, argv, "draw_pref_icons RESOURCES_FOLDER", [](const QString& root) {
        const QString icons = root + QStringLiteral("/icons/prefs");
        const QString pictures = root + QStringLiteral("/pictures");
        QDir().mkpath(icons);
        QDir().mkpath(pictures);

        bool ok = writeIcons(icons, {{"nn", iconCompass},
                                     {"ie", iconDocument},
                                     {"mosaic", iconTiles},
                                     {"lynx", iconTerminal},
                                     {"amaya", iconLeaf},
                                     {"hotjava", iconCup},
                                     {"neo", iconPlanet},
                                     {"opera", iconDiamond}});

        const Draw drawings[11] = {pictureTitle, pictureBanner,  pictureBars,   pictureCircles,
                                   pictureWaves, pictureGrid,    pictureSpiral, pictureTriangles,
                                   pictureDots,  pictureStripes, pictureRings};
        for (int i = 0; i < 11; ++i)
            ok &= writePicture(pictures, 201 + i, drawings[i]);
        return ok;
    });
}
