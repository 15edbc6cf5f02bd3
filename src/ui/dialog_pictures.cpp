#include "ui/dialog_pictures.h"

#include "ui/picture_resources.h"

namespace tw {

QPixmap dialogPicture(int number)
{
    if (number < 201 || number > 211)
        return {};
    registerPictureResources();
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
    registerPictureResources();
    return QIcon(QStringLiteral(":/icons/prefs/") + key.toLower() + QStringLiteral(".png"));
}

} // namespace tw
