// Where Quillon keeps what outlives a run (the simulated bench, the copies of cards' PDAs):
// on Linux $XDG_STATE_HOME/quillon, else ~/.local/state/quillon; on Windows
// %LOCALAPPDATA%\Quillon, else %APPDATA%\Quillon (Windows 2000 and XP set only the latter).
#pragma once

#include <optional>
#include <string>

namespace quillon {

// The environment variables a state folder may come from; the platform picks its own.
struct StateEnvironment {
    std::optional<std::string> xdgStateHome;  // XDG_STATE_HOME
    std::optional<std::string> home;          // HOME
    std::optional<std::string> localAppData;  // LOCALAPPDATA
    std::optional<std::string> appData;       // APPDATA
};

// The state folder of this platform; none when the environment gives no folder.
std::optional<std::string> platformStateFolder(const StateEnvironment& environment);

// The folder for the given XDG_STATE_HOME and HOME. A relative XDG_STATE_HOME is invalid and
// is ignored; none when neither gives a folder.
std::optional<std::string> quillonStateFolder(const std::optional<std::string>& xdgStateHome,
                                              const std::optional<std::string>& home);

// The folder for the given LOCALAPPDATA and APPDATA; none when neither is set.
std::optional<std::string> windowsStateFolder(const std::optional<std::string>& localAppData,
                                              const std::optional<std::string>& appData);

}  // namespace quillon
