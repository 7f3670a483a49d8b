#include "winui/single_instance.h"

namespace quillon::winui {

bool handOverToRunningWindow(const std::vector<std::string>& arguments) {
    (void)arguments;
    return false;  // not built yet
}

std::optional<std::string> HandOverReceiver::receive(const COPYDATASTRUCT& data) {
    (void)data;
    return std::nullopt;
}

}  // namespace quillon::winui
