// One window per desktop: a second copy of quillon.exe hands its files to the window titled
// "Quillonex" with one WM_COPYDATA message each, in command-line order, and shows nothing.
//
// Each message carries a path with its terminating zero in the ANSI code page, tagged with the
// number of command-line entries (the program's name included): what any window of that title
// understands. A path the ANSI code page cannot spell (a Japanese name on a Western system)
// goes first as UTF-8 under kUtf8HandOverTag; a Quillon window takes that copy and drops the
// ANSI message that follows as its twin. Paths go out absolute, resolved against the second
// copy's working folder, since the running copy has a folder of its own.
#pragma once

#include "winui/windows_api.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::winui {

// dwData of the UTF-8 copy of a path ("QUL8"); no command line has that many entries.
inline constexpr ULONG_PTR kUtf8HandOverTag = 0x5155'4C38;

// Looks for a top-level window titled "Quillonex". When there is one, brings it to the front,
// hands it each of the arguments (UTF-8 file paths, the program's name not among them) and
// returns true; false when there is none.
bool handOverToRunningWindow(const std::vector<std::string>& arguments);

// What a Quillon window makes of the WM_COPYDATA messages it receives: the path (UTF-8) of a
// message that completes a hand-over, nothing for a message that does not.
class HandOverReceiver {
  public:
    std::optional<std::string> receive(const COPYDATASTRUCT& data);

  private:
    std::optional<std::string> pending_;  // the last UTF-8 copy, until its ANSI twin arrives
};

}  // namespace quillon::winui
