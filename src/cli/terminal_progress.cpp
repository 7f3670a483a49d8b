#include "cli/terminal_progress.h"

#include <algorithm>
#include <ostream>

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

}  // namespace

void ProgressLine::breakLine() {
    if (open_) {
        err_ << '\n' << std::flush;
        open_ = false;
    }
}

TerminalProgressWindow::TerminalProgressWindow(std::ostream& err, bool terminal, ProgressLine& line)
    : err_(err), terminal_(terminal), line_(line) {}

TerminalProgressWindow::~TerminalProgressWindow() {
    end();
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

void TerminalProgressWindow::hide() {
    end();
}

void TerminalProgressWindow::paintText(const std::string& text) {
    text_ = text;
    ended_ = false;
    if (terminal_) {
        draw(false);
    } else if (!started_) {
        err_ << text_ << '\n' << std::flush;
        started_ = true;
    }
}

void TerminalProgressWindow::Bar::setRange(int low, int high) {
    window_.low_ = low;
    window_.high_ = high;
    window_.rangeSet_ = true;
    window_.draw(false);
}

void TerminalProgressWindow::Bar::setPosition(int position) {
    window_.position_ = position;
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
    err_ << "\r\x1b[K" << text_;
    if (rangeSet_) {
        err_ << ' ' << barPart;
    }
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
    if (terminal_) {
        if (line_.open()) {
            draw(true);  // the last state, which throttling may have held back
            line_.breakLine();
        }
        return;
    }
    if (started_ && rangeSet_) {
        err_ << text_ << ' ' << percent() << "%\n" << std::flush;
    }
}

}  // namespace quillon::cli
