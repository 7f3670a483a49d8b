#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>

#include "ui/job_progress.h"

namespace quillon::cli {

namespace {

constexpr int kBarWidth = 30;
// A bar that changes only its text (the RID test counts 100,001 passes) is redrawn at most
// this often; a change of the percentage is always drawn.
constexpr std::chrono::milliseconds kRedrawInterval{50};

int percentOf(int low, int high, int position) {
    if (high <= low) {
        return 0;
    }
    const long long done = static_cast<long long>(position) - low;
    const long long span = static_cast<long long>(high) - low;
    return static_cast<int>(std::clamp(done * 100 / span, 0LL, 100LL));
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + " bytes";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
    return text;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

void ProgressLine::breakLine() {
    if (open_) {
        err_ << '\n' << std::flush;
        open_ = false;
    }
}

TerminalProgressWindow::TerminalProgressWindow(std::ostream& err, bool terminal, ProgressLine& line,
                                               int columns, bool dumb)
    : err_(err),
      terminal_(terminal),
      line_(line),
      columns_(columns > 0 ? columns : 80),
      dumb_(dumb) {
    line_.addWindow(1);
}

TerminalProgressWindow::~TerminalProgressWindow() {
    end();
    line_.addWindow(-1);
}

std::string TerminalProgressWindow::subject() const {
    const ui::ProgressItem& shown = item();
    if (shown.name.empty()) {
        return text_;
    }
    return shown.name + ", image " + std::to_string(shown.number) + " of " +
           std::to_string(shown.count) + ", " + sizeText(shown.bytes) +
           (shown.verifying ? ", verifying each block" : "");
}

double TerminalProgressWindow::secondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string TerminalProgressWindow::rateText() const {
    const double seconds = secondsSinceStart();
    const std::uint64_t bytes = item().bytes;
    if (bytes == 0 || !rangeSet_ || high_ <= low_ || position_ <= low_ || seconds < 0.25) {
        return {};
    }
    const double fraction =
        std::clamp(static_cast<double>(position_ - low_) / (high_ - low_), 0.0, 1.0);
    const double rate = fraction * static_cast<double>(bytes) / seconds;
    double left = fraction >= 1.0 ? 0.0 : seconds * (1.0 - fraction) / fraction;
    // Within an update, the time left is that of the whole update, not of this image alone.
    if (job() != nullptr) {
        const std::optional<int> jobLeft = job()->secondsLeft();
        if (!jobLeft) {
            char text[32];
            std::snprintf(text, sizeof text, ", %.1f KiB/s", rate / 1024.0);
            return text;
        }
        left = *jobLeft;
    }
    char text[64];
    std::snprintf(text, sizeof text, ", %.1f KiB/s, %.0f s left", rate / 1024.0, left);
    return text;
}

std::string TerminalProgressWindow::barText(int low, int high, int position, int width) {
    const int percent = percentOf(low, high, position);
    const int filled = percent * width / 100;
    std::string text = "[";
    text.append(static_cast<std::size_t>(filled), '#');
    text.append(static_cast<std::size_t>(width - filled), '.');
    text += "] " + std::to_string(percent) + "%";
    return text;
}

std::string TerminalProgressWindow::fitLine(const std::string& subject, int low, int high,
                                            int position, const std::string& tail, bool withBar,
                                            bool tailKept, int columns) {
    // One column stays free: a line that fills the last one wraps on many terminals.
    const std::size_t room = static_cast<std::size_t>(std::max(columns - 1, 20));
    if (!withBar) {
        return subject.substr(0, room);
    }
    // The bar shrinks to 10 cells first; then a rate goes, and at last the subject is cut.
    const std::string kept = tailKept ? tail : std::string();
    for (int width = kBarWidth; width >= 10; --width) {
        const std::string line = subject + ' ' + barText(low, high, position, width) + tail;
        if (line.size() <= room) {
            return line;
        }
    }
    const std::string bar = barText(low, high, position, 10);
    const std::size_t fixed = bar.size() + 1 + kept.size();
    if (fixed + 1 <= room) {
        return subject.substr(0, std::min(subject.size(), room - fixed)) + ' ' + bar + kept;
    }
    return (bar + kept).substr(0, room);
}

void TerminalProgressWindow::redraw(const std::string& text) {
    if (dumb_) {
        // No escape sequences: blanks cover what a longer earlier line left.
        err_ << '\r' << text;
        if (drawnLength_ > text.size()) {
            err_ << std::string(drawnLength_ - text.size(), ' ') << '\r' << text;
        }
    } else {
        err_ << "\r\x1b[K" << text;
    }
    drawnLength_ = text.size();
}

void TerminalProgressWindow::hide() {
    end();
}

void TerminalProgressWindow::itemEnding() {
    if (item().name.empty()) {
        return;
    }
    // One line for each image: the one before ends, and the next starts afresh.
    end();
    ended_ = false;
    started_ = false;
    rangeSet_ = false;
    low_ = high_ = position_ = 0;
    lastText_.clear();
    lastBar_.clear();
    start_ = std::chrono::steady_clock::now();
}

void TerminalProgressWindow::paintText(const std::string& text) {
    text_ = text;
    ended_ = false;
    if (terminal_) {
        draw(false);
    } else if (!started_ && item().name.empty()) {
        err_ << text_ << '\n' << std::flush;
        started_ = true;
    }
}

void TerminalProgressWindow::Bar::setRange(int low, int high) {
    window_.low_ = low;
    window_.high_ = high;
    window_.position_ = low;
    window_.rangeSet_ = true;
    window_.draw(false);
}

void TerminalProgressWindow::Bar::setPosition(int position) {
    // The card's programming nudges the bar to 1 and back to 0 as it starts; a bar that a
    // person reads never runs backwards within its range.
    window_.position_ = std::max(position, window_.position_);
    window_.draw(false);
}

int TerminalProgressWindow::percent() const {
    return percentOf(low_, high_, position_);
}

void TerminalProgressWindow::draw(bool force) {
    if (!terminal_ || text_.empty()) {
        return;
    }
    const std::string barPart = rangeSet_ ? barText(low_, high_, position_, kBarWidth) : "";
    // After something else was printed the bar stands on a fresh line and must be drawn anew.
    const bool fresh = !line_.open();
    const bool textChanged = text_ != lastText_;
    if (!fresh && !textChanged && barPart == lastBar_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && !fresh && barPart == lastBar_ && now - lastDraw_ < kRedrawInterval) {
        return;
    }
    redraw(fitLine(subject(), low_, high_, position_, rateText(), rangeSet_, false, columns_));
    err_ << std::flush;
    line_.setOpen(true);
    lastText_ = text_;
    lastBar_ = barPart;
    lastDraw_ = now;
}

void TerminalProgressWindow::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    if (!item().name.empty()) {
        line_.addImage({item(), rangeSet_ ? high_ - low_ : 0, rangeSet_ ? position_ - low_ : 0,
                        outcome() == Outcome::Succeeded, secondsSinceStart()});
    }
    const std::string time = secondsText(secondsSinceStart());
    const std::string written = item().verifying ? ": written and verified in " : ": written in ";
    const std::string ending = outcome() == Outcome::Succeeded ? written + time
                               : outcome() == Outcome::Failed
                                   ? ": FAILED after " + time
                                   : ": " + std::to_string(percent()) + "% in " + time;
    if (terminal_) {
        if (line_.open() && !item().name.empty()) {
            // The bar's last state, then how the image ended instead of the rate.
            redraw(fitLine(subject(), low_, high_, position_, ending, true, true, columns_));
            line_.breakLine();
        } else if (line_.open()) {
            draw(true);  // the last state, which throttling may have held back
            line_.breakLine();
        }
        return;
    }
    if (!item().name.empty()) {
        // One line per image: what it was, how it ended and how long it took.
        err_ << subject() << ending << '\n' << std::flush;
        return;
    }
    if (started_ && rangeSet_) {
        err_ << text_ << ' ' << percent() << "%\n" << std::flush;
    }
}

}  // namespace quillon::cli
