#include "ui/icons.h"

#include "ui/picture_resources.h"

#include <QHash>

namespace tw {

QIcon toolbarIcon(const QString& key)
{
    registerPictureResources();
    static const QHash<QString, QString> files = {
        {QStringLiteral("OPEN"), QStringLiteral("open")},
        {QStringLiteral("SAVE"), QStringLiteral("save")},
        {QStringLiteral("CUT"), QStringLiteral("cut")},
        {QStringLiteral("COPY"), QStringLiteral("copy")},
        {QStringLiteral("DELETE"), QStringLiteral("delete")},
        {QStringLiteral("FIND"), QStringLiteral("find")},
        {QStringLiteral("ITEM"), QStringLiteral("item")},
        {QStringLiteral("HELP"), QStringLiteral("help")},
    };
    const auto it = files.constFind(key);
    if (it == files.constEnd())
        return {};
    return QIcon(QStringLiteral(":/icons/") + *it + QStringLiteral(".png"));
}

QIcon browserIcon(BrowserClass c)
{
    registerPictureResources();
    const QString file =
        QStringLiteral(":/icons/browser_") + browserClassKey(c).toLower() + QStringLiteral(".png");
    // The same picture on a selected row: the style's tint with the highlight colour would
    // drown blue drawings in a blue highlight.
    QIcon icon(file);
    icon.addFile(file, QSize(), QIcon::Selected);
    return icon;
}

QIcon applicationIcon()
{
    registerPictureResources();
    QIcon icon;
    for (const auto name : {u"tallyweaver", u"tallyweaver_32", u"tallyweaver_64"})
        icon.addFile(QStringLiteral(":/icons/") + QStringView(name).toString() +
                     QStringLiteral(".png"));
    return icon;
}

} // namespace tw
