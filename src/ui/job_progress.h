// A job of several phases (an update: each image, the PDA, the card's reset) shown as one bar
// that runs from 0 to the end once and never backwards, with the lines a progress window shows
// under its text: what is being done ("Image 2 of 3: station-1.8.0.hex"), the time left and
// that the card must stay in. Every face draws the same values.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/user_interface.h"

namespace quillon::ui {

struct JobPhase {
    enum class Kind { Image, Pda, Reset };
    Kind kind = Kind::Image;
    std::string name;          // an image's file name
    std::uint64_t weight = 1;  // its share of the bar: the blocks it writes
};

class JobProgress {
  public:
    // Seconds on a clock that only rises; the steady clock when none is given.
    using Clock = std::function<double()>;

    static constexpr const char* kKeepTheCard = "Do not remove the card.";

    // verifying: every block is read back after it is written.
    explicit JobProgress(std::vector<JobPhase> phases, bool verifying = false, Clock clock = {});

    // Enters phase index: every phase before it counts as done.
    void enter(std::size_t index);
    // The share of the current phase done, from 0 to 1.
    void advance(double share);
    // Every phase is done.
    void complete();

    // The whole job done, in thousandths.
    int permille() const;
    // The seconds the rest of the job is likely to take, once the pace so far can tell.
    std::optional<int> secondsLeft() const;
    // What is being done now: "Image 2 of 3: station-1.8.0.hex", "Writing the card's PDA"...
    std::string phaseText() const;
    // The lines under the window's text: the phase, then the time left and kKeepTheCard.
    std::string detail() const;

  private:
    double done() const;

    std::vector<JobPhase> phases_;
    bool verifying_;
    Clock clock_;
    double started_ = 0;
    std::uint64_t total_ = 0;
    std::size_t current_ = 0;
    double share_ = 0;
    bool complete_ = false;
};

// The bar an operation of the job drives (the blocks of one image): the window's own bar gets
// the operation's range and positions unchanged, the job takes them as the share of its current
// phase, and the window is told that the job moved.
class JobBar : public ProgressBar {
  public:
    JobBar(ProgressWindow& window, JobProgress& job) : window_(window), job_(job) {}
    void setRange(int low, int high) override;
    void setPosition(int position) override;

  private:
    ProgressWindow& window_;
    JobProgress& job_;
    int low_ = 0;
    int high_ = 0;
};

}  // namespace quillon::ui
