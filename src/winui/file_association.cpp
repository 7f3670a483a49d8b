#include "winui/file_association.h"

namespace quillon::winui {

FileTypeRegistration registrationFor(const std::string& extension) {
    if (extension == ".pda") {
        return {".pda", 3, true};
    }
    return {".hex", 2, false};
}

bool registerFileType(const FileTypeRegistration& registration, const std::string& programPath,
                      RegistryScope scope) {
    (void)registration;
    (void)programPath;
    (void)scope;
    return false;  // not built yet
}

bool unregisterFileType(const FileTypeRegistration& registration, RegistryScope scope) {
    (void)registration;
    (void)scope;
    return false;  // not built yet
}

}  // namespace quillon::winui
