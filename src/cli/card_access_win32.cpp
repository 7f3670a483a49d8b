#include <ostream>

#include "base/file_path.h"
#include "base/state_folder.h"
#include "cli/card_access.h"
#include "sim/bench_lock.h"
#include "win32/win32_access_library.h"
#include "win32/win32_registry.h"

namespace quillon::cli {
namespace {

class RealCardAccess : public CardAccess {
  public:
    card::AccessLibrary& library() override { return *library_; }
    card::Registry& registry() override { return registry_; }

    sim::BenchLock lock;
    std::unique_ptr<win32::Win32AccessLibrary> library_;
    win32::Win32Registry registry_;
};

std::optional<std::string> setValue(const CliIo& io, const std::string& name) {
    std::string value = io.env(name);
    return value.empty() ? std::nullopt : std::optional<std::string>(value);
}

}  // namespace

std::unique_ptr<CardAccess> openPlatformCardAccess(CliIo& io, const GlobalOptions& global) {
    if (!global.benchDir.empty() || !io.env("QUILLON_BENCH").empty()) {
        return openBenchAccess(io, global);
    }
    auto access = std::make_unique<RealCardAccess>();
    std::string error;
    access->library_ = win32::Win32AccessLibrary::load(io.env("QUILLON_ACCESS_LIBRARY"), error);
    if (!access->library_) {
        io.err << "quillon-cli: " << error
               << ".\nThe library comes with the card's driver from the card's maker: install "
                  "the driver, or put ISW32N50.dll beside quillon-cli.exe (QUILLON_ACCESS_LIBRARY "
                  "may name it). To try Quillon without a card, give --bench DIR.\n";
        return nullptr;
    }
    // One process at a time on the adapters: the lock lives in the state folder.
    const std::optional<std::string> state = platformStateFolder(
        {std::nullopt, std::nullopt, setValue(io, "LOCALAPPDATA"), setValue(io, "APPDATA")});
    if (state && !access->lock.acquire(pathText(filePath(*state) / "adapters"), io.lockWait, io.err,
                                       "quillon-cli")) {
        return nullptr;
    }
    return access;
}

}  // namespace quillon::cli
