#include "ui/dialog_pictures.h"

// The pictures live in the GUI library, which a static build has to register by hand;
// registering twice is harmless.
static void registerDialogPictures()
{
    static const bool once = [] {
        Q_INIT_RESOURCE(tallyweaver);
        return true;
    }();
    Q_UNUSED(once);
}

namespace tw {

QPixmap dialogPicture(int number)
{
    if (number < 201 || number > 211)
        return {};
    registerDialogPictures();
    return QPixmap(QStringLiteral(":/pictures/picture_%1.png").arg(number));
}

QIcon previewBrowserIcon(const QString& key)
{
    static const QStringList keys = {QStringLiteral("NN"),     QStringLiteral("IE"),
                                     QStringLiteral("MOSAIC"), QStringLiteral("LYNX"),
                                     QStringLiteral("AMAYA"),  QStringLiteral("HOTJAVA"),
                                     QStringLiteral("NEO"),    QStringLiteral("OPERA")};
    if (!keys.contains(key))
        return {};
    registerDialogPictures();
    return QIcon(QStringLiteral(":/icons/prefs/") + key.toLower() + QStringLiteral(".png"));
}

} // namespace tw
