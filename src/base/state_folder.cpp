#include "base/state_folder.h"

#include "base/file_path.h"

namespace quillon {

std::optional<std::string> quillonStateFolder(const std::optional<std::string>& xdgStateHome,
                                              const std::optional<std::string>& home) {
    if (xdgStateHome && !xdgStateHome->empty() && xdgStateHome->front() == '/') {
        return pathText(filePath(*xdgStateHome) / "quillon");
    }
    if (home && !home->empty()) {
        return pathText(filePath(*home) / ".local" / "state" / "quillon");
    }
    return std::nullopt;
}

std::optional<std::string> windowsStateFolder(const std::optional<std::string>& localAppData,
                                              const std::optional<std::string>& appData) {
    for (const std::optional<std::string>* root : {&localAppData, &appData}) {
        if (*root && !(*root)->empty()) {
            return **root + "\\Quillon";
        }
    }
    return std::nullopt;
}

}  // namespace quillon
