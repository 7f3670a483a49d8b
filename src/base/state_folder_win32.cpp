#include "base/state_folder.h"

namespace quillon {

std::optional<std::string> platformStateFolder(const StateEnvironment& environment) {
    return windowsStateFolder(environment.localAppData, environment.appData);
}

}  // namespace quillon
