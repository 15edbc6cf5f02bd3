// What the picture-drawing tools share: an image painted in a 16-unit grid or at its own size,
// saved as PNG, round-ended pens, paths through points and the command line of the tools.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <initializer_list>

namespace tw::tools {

using Draw = std::function<void(QPainter&)>;

// A width x height image on fill, antialiased; scale maps drawing units to pixels.
inline QImage paintImage(int width, int height, const QColor& fill, qreal scale, const Draw& draw)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    draw(p);
    p.end();
    return image;
}

inline bool savePng(const QImage& image, const QString& path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A square icon drawn on a 16 x 16 grid, size pixels wide, as folder/name.png.
inline bool writeIcon(const QString& folder, const char* name, const Draw& draw, int size = 16)
{
    return savePng(paintImage(size, size, Qt::transparent, size / 16.0, draw),
                   folder + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
}

struct Icon {
    const char* name;
    Draw draw;
    int size = 16;
};

// Writes every icon, even after one fails; false when any could not be written.
inline bool writeIcons(const QString& folder, std::initializer_list<Icon> icons)
{
    bool ok = true;
    for (const Icon& icon : icons)
        ok &= writeIcon(folder, icon.name, icon.draw, icon.size);
    return ok;
}

inline QPen pen(const QColor& c, qreal w = 1.0)
{
    QPen p(c, w);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// Straight lines from the first point through the others.
inline QPainterPath pathThrough(std::initializer_list<QPointF> points, bool closed)
{
    QPainterPath path;
    for (const QPointF& point : points) {
        if (path.elementCount() == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

// The tools' main: one argument, the folder to draw into. Returns 0, 1 when a picture could not
// be written, 2 on a usage error.
inline int runDrawingTool(int argc, char** argv, const char* usage,
                          const std::function<bool(const QString& folder)>& drawAll)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    return drawAll(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

} // namespace tw::tools
