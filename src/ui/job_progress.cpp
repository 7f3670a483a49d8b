#include "ui/job_progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace quillon::ui {
namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Below this share of the job, or this many seconds, the pace says too little to go by.
constexpr double kLeastShareForEstimate = 0.03;
constexpr double kLeastSecondsForEstimate = 1.0;

}  // namespace

JobProgress::JobProgress(std::vector<JobPhase> phases, bool verifying, Clock clock)
    : phases_(std::move(phases)),
      verifying_(verifying),
      clock_(clock ? std::move(clock) : Clock(steadySeconds)),
      started_(clock_()) {
    for (const JobPhase& phase : phases_) {
        total_ += phase.weight;
    }
}

void JobProgress::enter(std::size_t index) {
    // The bar never runs backwards: a phase already left is not entered again.
    if (index > current_ && index <= phases_.size()) {
        current_ = index;
        share_ = 0;
    }
}

void JobProgress::advance(double share) {
    share_ = std::max(share_, std::clamp(share, 0.0, 1.0));
}

void JobProgress::complete() {
    complete_ = true;
}

double JobProgress::done() const {
    if (complete_ || total_ == 0) {
        return complete_ ? 1.0 : 0.0;
    }
    std::uint64_t before = 0;
    for (std::size_t i = 0; i < current_ && i < phases_.size(); ++i) {
        before += phases_[i].weight;
    }
    const double now =
        current_ < phases_.size() ? share_ * static_cast<double>(phases_[current_].weight) : 0.0;
    return std::min(1.0, (static_cast<double>(before) + now) / static_cast<double>(total_));
}

int JobProgress::permille() const {
    return static_cast<int>(std::floor(done() * 1000.0));
}

std::optional<int> JobProgress::secondsLeft() const {
    const double fraction = done();
    const double elapsed = clock_() - started_;
    if (complete_ || fraction < kLeastShareForEstimate || elapsed < kLeastSecondsForEstimate) {
        return std::nullopt;
    }
    return static_cast<int>(std::ceil(elapsed * (1.0 - fraction) / fraction));
}

std::string JobProgress::phaseText() const {
    if (phases_.empty()) {
        return {};
    }
    const std::size_t index = std::min(current_, phases_.size() - 1);
    const JobPhase& phase = phases_[index];
    const std::string writing = verifying_ ? "Writing and verifying " : "Writing ";
    switch (phase.kind) {
        case JobPhase::Kind::Image: {
            int number = 0;
            int count = 0;
            for (std::size_t i = 0; i < phases_.size(); ++i) {
                if (phases_[i].kind == JobPhase::Kind::Image) {
                    ++count;
                    number += i <= index ? 1 : 0;
                }
            }
            return writing + "image " + std::to_string(number) + " of " + std::to_string(count) +
                   ": " + phase.name;
        }
        case JobPhase::Kind::Pda:
            return writing + "the card's PDA";
        case JobPhase::Kind::Reset:
            return "Starting the card's new firmware";
    }
    return {};
}

std::string JobProgress::detail() const {
    std::string text = phaseText();
    if (!text.empty()) {
        text += '\n';
    }
    if (const std::optional<int> left = secondsLeft()) {
        text += *left >= 120 ? "About " + std::to_string((*left + 30) / 60) + " min left. "
                             : "About " + std::to_string(*left) + " s left. ";
    }
    return text + kKeepTheCard;
}

void JobBar::setRange(int low, int high) {
    low_ = low;
    high_ = high;
    window_.bar().setRange(low, high);
    window_.jobChanged();
}

void JobBar::setPosition(int position) {
    window_.bar().setPosition(position);
    if (high_ > low_) {
        job_.advance(static_cast<double>(position - low_) / static_cast<double>(high_ - low_));
    }
    window_.jobChanged();
}

}  // namespace quillon::ui
