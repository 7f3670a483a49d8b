#include "ui/progress_text.h"

#include <algorithm>
#include <cmath>

namespace quillon::ui {
namespace {

double clampShare(double share) {
    return std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
}

}  // namespace

double jobShare(const ProgressItem& item, double itemShare) {
    const int count = std::max(item.count, 1);
    const int before = std::clamp(item.number - 1, 0, count - 1);
    return (before + clampShare(itemShare)) / count;
}

std::string progressDetail(const ProgressItem& item, double itemShare, double secondsInItem) {
    const double share = clampShare(itemShare);
    std::string detail;
    if (!item.name.empty()) {
        detail = item.name;
        if (item.count > 1) {
            detail += ", " + std::to_string(item.number) + " of " + std::to_string(item.count);
        }
        detail += ", " + std::to_string(static_cast<int>(jobShare(item, share) * 100.0)) + "%";
        // The rest of the job is taken to go at this file's pace so far.
        if (share > 0.05 && share < 1.0 && std::isfinite(secondsInItem) && secondsInItem > 0.5) {
            const int count = std::max(item.count, 1);
            const int after = std::max(count - std::max(item.number, 1), 0);
            const double left = secondsInItem / share * ((1.0 - share) + after);
            detail +=
                ", about " + std::to_string(static_cast<long long>(std::lround(left))) + " s left";
        }
        detail += "\n";
    }
    detail += "Do not remove the card.";
    return detail;
}

}  // namespace quillon::ui
