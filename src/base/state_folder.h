// Where Quillon keeps what outlives a run (the simulated bench, the copies of cards' PDAs):
// $XDG_STATE_HOME/quillon, else ~/.local/state/quillon.
#pragma once

#include <optional>
#include <string>

namespace quillon {

// The folder for the given XDG_STATE_HOME and HOME. A relative XDG_STATE_HOME is invalid and
// is ignored; none when neither gives a folder.
std::optional<std::string> quillonStateFolder(const std::optional<std::string>& xdgStateHome,
                                              const std::optional<std::string>& home);

}  // namespace quillon
