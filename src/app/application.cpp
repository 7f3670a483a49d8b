#include "app/application.h"

#include <vector>

namespace quillon::app {

using namespace quillon::ui;

std::unique_ptr<MainWindow> startApplication(card::AccessLibrary& library, card::Registry& registry,
                                             UserInterface& ui,
                                             std::span<const std::string> arguments) {
    std::vector<std::string> files;
    if (arguments.size() > 1) {
        files.assign(arguments.begin() + 1, arguments.end());
    }
    auto window = std::make_unique<MainWindow>(library, registry, ui);
    window->initialise(files);
    return window;
}

}  // namespace quillon::app
