// Draws the program's pictures into resources/icons/: the eight toolbar images, the four list
// icons of the browser families, the window icon, and the window icon again in the sizes of the
// desktop's icon theme (hicolor/NxN/apps/), installed with the program.
//   g++ -std=c++20 -fPIC tools/draw_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o draw_icons
//   QT_QPA_PLATFORM=offscreen ./draw_icons resources/icons
#include "drawing.h"

#include <QDir>

namespace {

using namespace tw::tools;
using namespace Qt::StringLiterals;

const QColor kInk(0x33, 0x33, 0x33);

void page(QPainter& p, const QRectF& r)
{
    p.setPen(pen(kInk));
    p.setBrush(Qt::white);
    p.drawPath(pathThrough({r.topLeft(),
                            {r.right() - 3, r.top()},
                            {r.right(), r.top() + 3},
                            r.bottomRight(),
                            r.bottomLeft()},
                           true));
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void draw_open(QPainter& p)
{
    p.setPen(pen(QColor(0x8a, 0x62, 0x10)));
    p.setBrush(QColor(0xe8, 0xb8, 0x3a));
    p.drawPath(pathThrough(
        {{1.5, 13.5}, {1.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 7}}, false));
    p.setBrush(QColor(0xf8, 0xd5, 0x6b));
    p.drawPath(pathThrough({{1.5, 13.5}, {4, 7.5}, {15, 7.5}, {12.5, 13.5}}, true));
}

void draw_save(QPainter& p)
{
    p.setPen(pen(QColor(0x1d, 0x2f, 0x5c)));
    p.setBrush(QColor(0x3b, 0x5c, 0xa8));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.setPen(pen(QColor(0x1d, 0x2f, 0x5c), 0.8));
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(QColor(0xc8, 0xcf, 0xdc));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.setBrush(QColor(0x1d, 0x2f, 0x5c));
    p.drawRect(QRectF(9, 10.5, 1.5, 3));
}

void draw_cut(QPainter& p)
{
    p.setPen(pen(QColor(0x55, 0x55, 0x60), 1.4));
    p.drawLine(QPointF(4, 1.5), QPointF(10, 10));
    p.drawLine(QPointF(12, 1.5), QPointF(6, 10));
    p.setPen(pen(QColor(0xb0, 0x20, 0x20), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.3), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.3), 2.3, 2.3);
}

void draw_copy(QPainter& p)
{
    page(p, QRectF(1.5, 1.5, 8, 10));
    page(p, QRectF(6.5, 4.5, 8, 10));
    p.setPen(pen(QColor(0x70, 0x80, 0xa0), 0.8));
    for (qreal y = 8.5; y <= 12.5; y += 2)
        p.drawLine(QPointF(8.5, y), QPointF(12.5, y));
}

void draw_erase(QPainter& p)
{
    p.setPen(pen(QColor(0xc0, 0x18, 0x18), 2.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void draw_find(QPainter& p)
{
    p.setPen(pen(QColor(0x5a, 0x3a, 0x1a), 2.4));
    p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
    p.setPen(pen(kInk, 1.3));
    p.setBrush(QColor(0xcf, 0xe8, 0xf8));
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(pen(Qt::white, 1.0));
    p.drawArc(QRectF(3.8, 3.8, 5.4, 5.4), 100 * 16, 70 * 16);
}

void draw_item(QPainter& p)
{
    page(p, QRectF(2.5, 1.5, 10, 13));
    p.setPen(pen(QColor(0x70, 0x80, 0xa0), 0.9));
    for (qreal y = 5.5; y <= 11.5; y += 2)
        p.drawLine(QPointF(4.5, y), QPointF(y < 6 ? 8.5 : 10.5, y));
    p.setPen(pen(QColor(0x1a, 0x5f, 0xb4), 0.8));
    p.setBrush(QColor(0x2a, 0x7f, 0xd4));
    p.drawEllipse(QPointF(11.5, 11.5), 3.6, 3.6);
    p.setPen(pen(Qt::white, 1.3));
    p.drawLine(QPointF(11.5, 10.8), QPointF(11.5, 13.4));
    p.drawPoint(QPointF(11.5, 9.2));
}

void draw_help(QPainter& p)
{
    p.setPen(pen(QColor(0x1a, 0x5f, 0xb4)));
    p.setBrush(QColor(0x2a, 0x7f, 0xd4));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(pen(Qt::white, 1.8));
    QPainterPath q;
    q.moveTo(5.6, 6.2);
    q.cubicTo(5.6, 3.4, 10.6, 3.4, 10.4, 6.2);
    q.cubicTo(10.3, 7.8, 8, 7.8, 8, 9.8);
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.drawPoint(QPointF(8, 12.3));
}

// Browser families: a letter badge in the family's colour.
void badge(QPainter& p, const QColor& fill, const QString& text, qreal fontSize)
{
    p.setPen(pen(fill.darker(160)));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPointSizeF(fontSize);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, text);
}

void draw_ie(QPainter& p)
{
    // A lower-case e inside an orbit, on a white disc so that it shows on a selected row too.
    p.setPen(pen(QColor(0x1f, 0x6f, 0xc8).darker(140), 0.8));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.6, 6.6);
    p.setPen(pen(QColor(0x1f, 0x6f, 0xc8), 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath e;
    e.moveTo(4.2, 8.3);
    e.lineTo(11.8, 8.3);
    e.cubicTo(11.8, 3.2, 4.2, 3.2, 4.2, 8.3);
    e.cubicTo(4.2, 12.9, 10, 13.4, 11.6, 10.8);
    p.drawPath(e);
    p.setPen(pen(QColor(0xe0, 0xa0, 0x10), 1.1));
    p.save();
    p.translate(8, 8);
    p.rotate(-30);
    p.drawEllipse(QPointF(0, 0), 7.4, 3.0);
    p.restore();
}

void draw_nn(QPainter& p)
{
    badge(p, QColor(0x0b, 0x6e, 0x6e), QStringLiteral("N"), 8.5);
    p.setPen(pen(QColor(0xff, 0xd8, 0x40), 1.0));
    p.drawLine(QPointF(3, 13), QPointF(13, 13));
}

void draw_wwwc(QPainter& p)
{
    // A globe with a check mark: a page-update checker.
    p.setPen(pen(QColor(0x20, 0x70, 0x40)));
    p.setBrush(QColor(0x9a, 0xd8, 0xa8));
    p.drawEllipse(QPointF(7, 8), 5.5, 5.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 8), 2.4, 5.5);
    p.drawLine(QPointF(1.5, 8), QPointF(12.5, 8));
    p.setPen(pen(QColor(0xd0, 0x20, 0x20), 2.2));
    p.drawLine(QPointF(8, 9.5), QPointF(10.5, 12.5));
    p.drawLine(QPointF(10.5, 12.5), QPointF(15, 5));
}

void draw_exe(QPainter& p)
{
    // A plain program window.
    p.setPen(pen(kInk));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setBrush(QColor(0x2a, 0x4f, 0x9a));
    p.drawRect(QRectF(1.5, 2.5, 13, 3));
    p.setPen(pen(QColor(0x90, 0x90, 0x90), 0.9));
    p.drawLine(QPointF(3.5, 8), QPointF(12.5, 8));
    p.drawLine(QPointF(3.5, 10.5), QPointF(9.5, 10.5));
}

void windowIcon(QPainter& p)
{
    // A log sheet with tally marks.
    page(p, QRectF(1.5, 0.5, 13, 15));
    p.setPen(pen(QColor(0x2a, 0x5f, 0xa8), 1.1));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(4 + i * 1.8, 4.5), QPointF(4 + i * 1.8, 11.5));
    p.setPen(pen(QColor(0xc8, 0x30, 0x30), 1.2));
    p.drawLine(QPointF(3, 10.5), QPointF(11.5, 5.5));
}

bool writeThemeIcons(const QString& folder)
{
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sizeFolder = folder + u"/hicolor/%1x%1/apps"_s.arg(size);
        ok &= QDir().mkpath(sizeFolder) &&
              writeIcon(sizeFolder, "org.example.tallyweaver", windowIcon, size);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    return runDrawingTool(argc, argv, "draw_icons OUTPUT_FOLDER", [](const QString& folder) {
        const bool themeIcons = writeThemeIcons(folder);
        return writeIcons(folder, {{"open", draw_open},
                                   {"save", draw_save},
                                   {"cut", draw_cut},
                                   {"copy", draw_copy},
                                   {"delete", draw_erase},
                                   {"find", draw_find},
                                   {"item", draw_item},
                                   {"help", draw_help},
                                   {"browser_ie", draw_ie},
                                   {"browser_nn", draw_nn},
                                   {"browser_wwwc", draw_wwwc},
                                   {"browser_exe", draw_exe},
                                   {"tallyweaver", windowIcon},
                                   {"tallyweaver_32", windowIcon, 32},
                                   {"tallyweaver_64", windowIcon, 64}}) &&
               themeIcons;
    });
}
