// What a failed update leaves on the card, image by image, and what the person should do next.
// Every face tells a failed update with this text, so that none of them leaves a half-written
// card looking untouched.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillon::update {

// The text of the failure ending. paths are the update's images in programming order;
// failedAt is the image that failed (those before it were written, those after it were not
// started), or paths.size() when every image was written and the PDA write failed. writesPda:
// the update was to write the PDA after the images.
std::string failedUpdateText(const std::vector<std::string>& paths, std::size_t failedAt,
                             bool writesPda);

}  // namespace quillon::update
