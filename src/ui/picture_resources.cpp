#include "ui/picture_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the resource's initialiser in the enclosing namespace, so it stands
// outside tw.
static void initResources()
{
    Q_INIT_RESOURCE(tallyweaver);
}

namespace tw {

void registerPictureResources()
{
    static const bool once = [] {
        initResources();
        return true;
    }();
    Q_UNUSED(once);
}

} // namespace tw
