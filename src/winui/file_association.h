// Opening ".hex" and ".pda" files with quillon.exe from the shell: the type's keys, its icon
// and its verbs in the registry. Machine-wide (the class root) on a Windows 95-family system;
// per user (HKEY_CURRENT_USER\Software\Classes) on the NT family, which needs no administrator.
#pragma once

#include <string>

namespace quillon::winui {

struct FileTypeRegistration {
    std::string extension;  // with its dot: ".hex" or ".pda"
    int iconIndex = 2;      // 2: the firmware-file icon, 3: the PDA-file icon
    bool editVerb = false;
};

enum class RegistryScope { Machine, User };

// The registration of the system-menu entry for ".hex" or ".pda".
FileTypeRegistration registrationFor(const std::string& extension);

// Writes the keys for the program at programPath (UTF-8, as it was started; a path that is not
// absolute is replaced by this program's own file, which the shell can find); false when a key
// could not be written. Every key is still attempted.
bool registerFileType(const FileTypeRegistration& registration, const std::string& programPath,
                      RegistryScope scope);

// Removes the keys registerFileType wrote, when their open command still names this program's
// own file; false (nothing removed) when it names another.
bool unregisterFileType(const FileTypeRegistration& registration, RegistryScope scope);

}  // namespace quillon::winui
