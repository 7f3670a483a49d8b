#include "base/state_folder.h"

#include <filesystem>

namespace quillon {

std::optional<std::string> quillonStateFolder(const std::optional<std::string>& xdgStateHome,
                                              const std::optional<std::string>& home) {
    if (xdgStateHome && !xdgStateHome->empty() && xdgStateHome->front() == '/') {
        return (std::filesystem::path(*xdgStateHome) / "quillon").string();
    }
    if (home && !home->empty()) {
        return (std::filesystem::path(*home) / ".local" / "state" / "quillon").string();
    }
    return std::nullopt;
}

}  // namespace quillon
