#pragma once

#include "settings/settings_file.h"

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

namespace tw {

// QFont and colour of a ListFont, and back. Colours are Windows values (red + 256 × green +
// 65536 × blue).
QFont fontOf(const ListFont& f);
QColor colorOf(qint32 windowsColor);
qint32 windowsColorOf(const QColor& c);
ListFont listFontFrom(const QFont& font, const QColor& color);
// Sets size and the four styles of f on font; pointSizeF, when set, wins over size, and with
// neither the font keeps its own size. A size outside the sane range is brought into it.
void setFontStyle(QFont& font, const ListFont& f);

// List fonts from 6 to 72 points: a settings file may hold anything up to 32767, which makes
// every row too tall to see.
constexpr int kMinListFontPoints = 6, kMaxListFontPoints = 72;
double saneListFontPoints(double points);

// The font dialog with a text colour, as the list font needs it.
class ListFontDialog final : public QDialog {
    Q_OBJECT

public:
    explicit ListFontDialog(const ListFont& initial, QWidget* parent = nullptr);
    ListFont chosen() const;

private:
    void pickColor();
    void showColor();

    QFontDialog* m_fonts;
    QPushButton* m_colorButton;
    QColor m_color;
};

} // namespace tw
