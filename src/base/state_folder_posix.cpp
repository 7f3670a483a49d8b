#include "base/state_folder.h"

namespace quillon {

std::optional<std::string> platformStateFolder(const StateEnvironment& environment) {
    return quillonStateFolder(environment.xdgStateHome, environment.home);
}

}  // namespace quillon
