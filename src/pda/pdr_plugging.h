// Plugging: writing the card's production data (and the image's own file name) into the
// places a firmware image's plug records name, before the image is programmed. The outcome
// goes to the diagnostic log and the plug records' statuses only.
#pragma once

#include <string>

#include "image/memory_image.h"
#include "image/plug_list.h"
#include "pda/pda_image.h"

namespace quillon::pda {

// At most this many bytes of the file name are written, whatever the plug's length.
inline constexpr std::size_t kFileNamePlugMax = 20;

// Fills every plug of the list, in list order, from the PDA or with the upper-case file name
// taken from filePath (after its last "/", "\" or ":"). Sets each plug's status and returns
// the number of PDR plugs that were written.
int plugImage(image::MemoryImage& image, image::PlugList& plugs, const PdaImage& pda,
              const std::string& filePath);

}  // namespace quillon::pda
