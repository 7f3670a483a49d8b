#include "winui/window_card.h"

#include <chrono>
#include <sstream>

#include "sim/bench_lock.h"
#include "sim/simulated_bench.h"
#include "win32/real_card.h"
#include "winui/wide_text.h"

namespace quillon::winui {
namespace {

// How long the window waits for another process to let go of the card.
constexpr std::chrono::milliseconds kLockWait{3000};

class BenchCard : public WindowCard {
  public:
    card::AccessLibrary& library() override { return bench->library(); }
    card::Registry& registry() override { return bench->registry(); }

    sim::BenchLock lock;  // released after the bench has saved its cards
    std::unique_ptr<sim::SimulatedBench> bench;
};

class RealWindowCard : public WindowCard {
  public:
    explicit RealWindowCard(std::unique_ptr<win32::RealCard> card) : card_(std::move(card)) {}
    card::AccessLibrary& library() override { return *card_->library; }
    card::Registry& registry() override { return card_->registry; }

  private:
    std::unique_ptr<win32::RealCard> card_;
};

std::optional<std::string> setValue(const wchar_t* name) {
    std::string value = environmentUtf8(name);
    return value.empty() ? std::nullopt : std::optional<std::string>(std::move(value));
}

// The lock tells on several lines that it waited; the box tells the outcome alone.
std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    if (const std::size_t newline = text.rfind('\n'); newline != std::string::npos) {
        text.erase(0, newline + 1);
    }
    return text;
}

}  // namespace

StateEnvironment windowStateEnvironment() {
    return {std::nullopt, std::nullopt, setValue(L"LOCALAPPDATA"), setValue(L"APPDATA")};
}

std::unique_ptr<WindowCard> openWindowCard(std::string& error) {
    error.clear();
    std::ostringstream lockError;
    const std::string benchFolder = environmentUtf8(L"QUILLON_BENCH");
    if (!benchFolder.empty()) {
        auto card = std::make_unique<BenchCard>();
        if (!card->lock.acquire(benchFolder, kLockWait, lockError, "quillon")) {
            error = lastLine(lockError.str());
            return nullptr;
        }
        card->bench = sim::SimulatedBench::open(benchFolder, error);
        if (!card->bench) {
            error = "The simulated bench in " + benchFolder + " cannot be used: " + error;
            return nullptr;
        }
        return card;
    }
    std::string libraryError;
    std::unique_ptr<win32::RealCard> real =
        win32::openRealCard(environmentUtf8(L"QUILLON_ACCESS_LIBRARY"), windowStateEnvironment(),
                            kLockWait, lockError, "quillon", libraryError);
    if (!real) {
        if (libraryError.empty()) {
            error = lastLine(lockError.str());
        } else {
            error = "Quillon cannot reach the card: " + libraryError +
                    ".\n\nISW32N50.dll comes with the card's driver from the card's maker: "
                    "install the driver, or put ISW32N50.dll beside quillon.exe "
                    "(QUILLON_ACCESS_LIBRARY may name it).\n\nTo try Quillon without a card, set "
                    "the environment variable QUILLON_BENCH to a folder: a simulated bench is "
                    "made there.";
        }
        return nullptr;
    }
    return std::make_unique<RealWindowCard>(std::move(real));
}

}  // namespace quillon::winui
