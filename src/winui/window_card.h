// The card the window works on: with QUILLON_BENCH set, the simulated bench in that folder;
// otherwise the real adapter-access library (ISW32N50.dll, from the card's driver) and the
// system's registry. Either is held against other processes while the WindowCard lives.
#pragma once

#include <memory>
#include <string>

#include "base/state_folder.h"
#include "card/access_library.h"
#include "card/registry.h"

namespace quillon::winui {

class WindowCard {
  public:
    virtual ~WindowCard() = default;
    virtual card::AccessLibrary& library() = 0;
    virtual card::Registry& registry() = 0;
};

// Opens the card the environment asks for. Null with error set to the text of the box that
// tells the person why and what to do.
std::unique_ptr<WindowCard> openWindowCard(std::string& error);

// The process's state folder (%LOCALAPPDATA%\Quillon, else %APPDATA%\Quillon).
StateEnvironment windowStateEnvironment();

}  // namespace quillon::winui
