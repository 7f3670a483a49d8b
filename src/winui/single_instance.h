// One window per desktop: a second copy of quillon.exe hands its files to the window titled
// "Quillonex" with one WM_COPYDATA message each, in command-line order, and shows nothing.
#pragma once

#include "winui/windows_api.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::winui {

// Looks for a top-level window titled "Quillonex". When there is one, brings it to the front,
// hands it each argument (UTF-8) and returns true; false when there is none.
bool handOverToRunningWindow(const std::vector<std::string>& arguments);

// What a Quillon window makes of the WM_COPYDATA messages it receives: the path (UTF-8) of a
// message that completes a hand-over, nothing for a message that does not.
class HandOverReceiver {
  public:
    std::optional<std::string> receive(const COPYDATASTRUCT& data);

  private:
    std::optional<std::string> pending_;
};

}  // namespace quillon::winui
