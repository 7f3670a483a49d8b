// Files the program writes (".hex", ".dmp", ".pda", the simulated cards' state) are built in
// memory, written to a temporary file in the same folder and renamed over the target only when
// complete, so a failed or interrupted write never destroys an existing file.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Writes content to path atomically. False when the temporary file cannot be created, written
// or renamed; the target is then untouched and no temporary file is left behind. An interrupt
// (SIGINT, SIGTERM, SIGHUP) arriving meanwhile takes effect once the temporary file is gone.
bool writeFileAtomically(const std::string& path, std::string_view content);

}  // namespace quillon
