#include "ui/list_font_widgets.h"

#include "ui/list_font_dialog.h"

#include <QAbstractItemView>
#include <QWidget>

namespace tw {
namespace {

// Item views draw their text in Text, labels and the like in WindowText.
QPalette::ColorRole textRole(const QWidget& widget)
{
    return qobject_cast<const QAbstractItemView*>(&widget) ? QPalette::Text : QPalette::WindowText;
}

} // namespace

ListFont readListFont(const QWidget& widget)
{
    return listFontFrom(widget.font(), widget.palette().color(textRole(widget)));
}

void applyListFont(const ListFont& font, QWidget& widget)
{
    QFont f = widget.font();
    if (!font.name.isEmpty())
        f.setFamily(font.name);
    setFontStyle(f, font);
    widget.setFont(f);

    QPalette palette = widget.palette();
    palette.setColor(QPalette::Text, colorOf(font.color));
    palette.setColor(QPalette::WindowText, colorOf(font.color));
    widget.setPalette(palette);
}

} // namespace tw
