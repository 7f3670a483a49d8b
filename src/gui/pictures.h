// The pictures built into the program (icons, the About picture). They live in a static
// library, so they are registered by hand before the first use.
#pragma once

namespace quillon::gui {

void loadPictures();

}  // namespace quillon::gui
