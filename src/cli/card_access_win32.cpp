#include <ostream>

#include "cli/card_access.h"
#include "win32/real_card.h"

namespace quillon::cli {
namespace {

class RealCardAccess : public CardAccess {
  public:
    explicit RealCardAccess(std::unique_ptr<win32::RealCard> card) : card_(std::move(card)) {}
    card::AccessLibrary& library() override { return *card_->library; }
    card::Registry& registry() override { return card_->registry; }

  private:
    std::unique_ptr<win32::RealCard> card_;
};

std::optional<std::string> setValue(const CliIo& io, const std::string& name) {
    std::string value = io.env(name);
    return value.empty() ? std::nullopt : std::optional<std::string>(value);
}

}  // namespace

std::unique_ptr<CardAccess> openCardAccess(CliIo& io, const GlobalOptions& global) {
    if (!global.benchDir.empty() || !io.env("QUILLON_BENCH").empty()) {
        return openBenchAccess(io, global);
    }
    std::string error;
    std::unique_ptr<win32::RealCard> card = win32::openRealCard(
        io.env("QUILLON_ACCESS_LIBRARY"),
        {std::nullopt, std::nullopt, setValue(io, "LOCALAPPDATA"), setValue(io, "APPDATA")},
        io.lockWait, io.err, "quillon-cli", error);
    if (!card) {
        if (!error.empty()) {
            io.err << "quillon-cli: " << error
                   << ".\nThe library comes with the card's driver from the card's maker: "
                      "install the driver, or put ISW32N50.dll beside quillon-cli.exe "
                      "(QUILLON_ACCESS_LIBRARY may name it). To try Quillon without a card, give "
                      "--bench DIR.\n";
        }
        return nullptr;
    }
    return std::make_unique<RealCardAccess>(std::move(card));
}

}  // namespace quillon::cli
