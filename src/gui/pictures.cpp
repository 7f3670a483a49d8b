#include "gui/pictures.h"

#include <QtGlobal>

// Outside any namespace, as the resource compiler defines its initialiser there.
static void registerIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace quillon::gui {

void loadPictures() {
    static const bool loaded = (registerIcons(), true);
    (void)loaded;
}

}  // namespace quillon::gui
