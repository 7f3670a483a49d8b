#include "update/failure_summary.h"

#include <filesystem>

namespace quillon::update {

std::string failedUpdateText(const std::vector<std::string>& paths, std::size_t failedAt,
                             bool writesPda) {
    std::string text = "Update failed while writing to card!\n";
    if (failedAt > paths.size()) {
        failedAt = paths.size();
    }
    if (!paths.empty() || writesPda) {
        text += '\n';
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        text += std::filesystem::path(paths[i]).filename().string();
        text += i < failedAt ? ": written\n" : i == failedAt ? ": FAILED\n" : ": not started\n";
    }
    if (writesPda) {
        text += failedAt < paths.size() ? "PDA: not started\n" : "PDA: FAILED\n";
    }
    // Images before the failure stay written and the card is not reset: it still reports its
    // old versions, though its flash no longer holds them whole.
    text += failedAt < paths.size()
                ? "\nThe card's firmware is now incomplete."
                : "\nThe firmware was written, but the card's PDA may now be incomplete.";
    text += " Run the update again before removing or power-cycling the card.";
    return text;
}

}  // namespace quillon::update
