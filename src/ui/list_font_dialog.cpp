#include "ui/list_font_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tw {

QFont fontOf(const ListFont& f)
{
    QFont font(f.name);
    setFontStyle(font, f);
    return font;
}

double saneListFontPoints(double points)
{
    return std::clamp(points, double(kMinListFontPoints), double(kMaxListFontPoints));
}

void setFontStyle(QFont& font, const ListFont& f)
{
    if (f.pointSizeF > 0)
        font.setPointSizeF(saneListFontPoints(f.pointSizeF));
    else if (f.size > 0)
        font.setPointSizeF(saneListFontPoints(f.size));
    font.setBold(f.bold != 0);
    font.setItalic(f.italic != 0);
    font.setUnderline(f.underline != 0);
    font.setStrikeOut(f.strikeout != 0);
}

QColor colorOf(qint32 windowsColor)
{
    const quint32 v = quint32(windowsColor);
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

qint32 windowsColorOf(const QColor& c)
{
    return qint32(c.red() + 256 * c.green() + 65536 * c.blue());
}

ListFont listFontFrom(const QFont& font, const QColor& color)
{
    ListFont f;
    f.name = font.family();
    // Whole points, halves to even.
    f.size = int(std::nearbyint(font.pointSizeF()));
    f.bold = font.bold() ? 1 : 0;
    f.italic = font.italic() ? 1 : 0;
    f.underline = font.underline() ? 1 : 0;
    f.strikeout = font.strikeOut() ? 1 : 0;
    f.color = windowsColorOf(color);
    return f;
}

namespace {

// QFontDialog looks for the initial font's style by its translated name ("太字" once Qt speaks
// Japanese) among the font's own untranslated ones and falls back to the first; naming the
// nearest style the family has avoids that.
QFont withOwnStyleName(QFont font)
{
    const QString family = font.family();
    int nearest = -1;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style) != font.italic())
            continue;
        const int distance = std::abs(QFontDatabase::weight(family, style) - font.weight());
        if (nearest < 0 || distance < nearest) {
            nearest = distance;
            font.setStyleName(style);
        }
    }
    return font;
}

} // namespace

ListFontDialog::ListFontDialog(const ListFont& initial, QWidget* parent)
    : QDialog(parent), m_fonts(new QFontDialog(withOwnStyleName(fontOf(initial)), this)),
      m_colorButton(new QPushButton(QStringLiteral("色(&C)..."), this)),
      m_color(colorOf(initial.color))
{
    setWindowTitle(QStringLiteral("フォント"));
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* row = new QHBoxLayout;
    row->addWidget(m_colorButton);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(row);
    connect(m_colorButton, &QPushButton::clicked, this, &ListFontDialog::pickColor);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showColor();
}

ListFont ListFontDialog::chosen() const
{
    ListFont f = listFontFrom(m_fonts->currentFont(), m_color);
    f.pointSizeF = m_fonts->currentFont().pointSizeF();
    return f;
}

void ListFontDialog::pickColor()
{
    const QColor c = QColorDialog::getColor(m_color, this);
    if (c.isValid()) {
        m_color = c;
        showColor();
    }
}

void ListFontDialog::showColor()
{
    QPixmap swatch(16, 16);
    swatch.fill(m_color);
    m_colorButton->setIcon(QIcon(swatch));
}

} // namespace tw
