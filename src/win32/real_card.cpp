#include "win32/real_card.h"

#include "base/file_path.h"

namespace quillon::win32 {

std::unique_ptr<RealCard> openRealCard(const std::string& libraryOverride,
                                       const StateEnvironment& environment,
                                       std::chrono::milliseconds wait, std::ostream& err,
                                       std::string_view program, std::string& libraryError) {
    auto card = std::make_unique<RealCard>();
    libraryError.clear();
    card->library = Win32AccessLibrary::load(libraryOverride, libraryError);
    if (!card->library) {
        if (libraryError.empty()) {
            libraryError = "ISW32N50.dll cannot be loaded";
        }
        return nullptr;
    }
    // One process at a time on the adapters: the lock lives in the state folder.
    const std::optional<std::string> state = platformStateFolder(environment);
    if (state && !card->lock.acquire(pathText(filePath(*state) / "adapters"), wait, err, program)) {
        return nullptr;
    }
    return card;
}

}  // namespace quillon::win32
