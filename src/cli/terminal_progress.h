// The progress window of the terminal: a line on standard error. On a terminal it is redrawn
// in place as a bar; otherwise it prints at most a line when the operation starts and one when
// it ends, so that logs stay readable. An image of an update is named on the line, with its
// place among the images, its size and, on a terminal, the rate and the time left; without a
// terminal it gets one line when it ends, with its outcome and the time it took.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

#include "ui/user_interface.h"

namespace quillon::cli {

// Whether a bar line is drawn on the terminal and not yet ended. Anything else printed while
// an operation runs (a question about a failed block, say) ends the line first, so that it
// starts on a line of its own.
// One image of an update as its progress window saw it end.
struct WrittenImage {
    ui::ProgressItem item;
    int blocks = 0;         // the blocks of the image
    int blocksWritten = 0;  // the blocks done when the window ended
    bool succeeded = false;
    double seconds = 0;
};

class ProgressLine {
  public:
    explicit ProgressLine(std::ostream& err) : err_(err) {}
    // The images whose progress windows have ended, in order.
    const std::vector<WrittenImage>& images() const { return images_; }
    void addImage(WrittenImage image) { images_.push_back(std::move(image)); }
    bool open() const { return open_; }
    void setOpen(bool open) { open_ = open; }
    void breakLine();
    // The number of progress windows that exist; while one does, an operation is under way.
    int windows() const { return windows_; }
    void addWindow(int change) { windows_ += change; }

  private:
    std::ostream& err_;
    bool open_ = false;
    int windows_ = 0;
    std::vector<WrittenImage> images_;
};

class TerminalProgressWindow : public ui::ProgressWindow {
  public:
    // columns: the terminal's width (0: unknown, taken as 80); dumb: a terminal that takes no
    // escape sequences (TERM=dumb), whose line is overwritten with blanks instead.
    TerminalProgressWindow(std::ostream& err, bool terminal, ProgressLine& line, int columns = 0,
                           bool dumb = false);
    ~TerminalProgressWindow() override;
    TerminalProgressWindow(const TerminalProgressWindow&) = delete;
    TerminalProgressWindow& operator=(const TerminalProgressWindow&) = delete;

    void centre() override {}
    void show() override {}
    void hide() override;
    ui::ProgressBar& bar() override { return bar_; }

    // The bar as text: "[", width cells of '#' or '.', "]", a blank and the percentage.
    static std::string barText(int low, int high, int position, int width);
    // The line as drawn in columns: the subject, the bar and the tail (the rate, or how the
    // image ended); where it does not fit, the bar is shortened, then a tail that is not kept
    // is left out, and at last the subject is cut.
    static std::string fitLine(const std::string& subject, int low, int high, int position,
                               const std::string& tail, bool withBar, bool tailKept, int columns);

  protected:
    void paintText(const std::string& text) override;
    void itemEnding() override;

  private:
    class Bar : public ui::ProgressBar {
      public:
        explicit Bar(TerminalProgressWindow& window) : window_(window) {}
        void setRange(int low, int high) override;
        void setPosition(int position) override;

      private:
        TerminalProgressWindow& window_;
    };

    int percent() const;
    // The item's name, place and size ("station-1.8.0.hex, image 2 of 3, 24 KiB"), or the
    // window's text when it works on no item.
    std::string subject() const;
    // ", 12.0 KiB/s, 3 s left" once the rate can be told, else empty.
    std::string rateText() const;
    double secondsSinceStart() const;
    // Redraws the line on a terminal when it changed. A change of the text alone waits until
    // the last draw is a little while ago, unless force is set.
    void draw(bool force);
    void end();
    // Overwrites the line on the terminal with text.
    void redraw(const std::string& text);

    std::ostream& err_;
    bool terminal_;
    ProgressLine& line_;
    int columns_;
    bool dumb_;
    std::size_t drawnLength_ = 0;
    Bar bar_{*this};
    std::string text_;
    int low_ = 0;
    int high_ = 0;
    int position_ = 0;
    bool rangeSet_ = false;
    bool started_ = false;  // the start line was printed (not on a terminal)
    bool ended_ = false;
    std::string lastText_;
    std::string lastBar_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace quillon::cli
