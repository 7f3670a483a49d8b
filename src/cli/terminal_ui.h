// The terminal's way of showing message boxes: each box is printed as its caption, ": " and
// its text. A question is asked on the terminal when standard input is one; otherwise it takes
// the safe answer (Cancel, No) unless the person said --yes beforehand.
#pragma once

#include <string>

#include "cli/cli.h"
#include "ui/user_interface.h"

namespace quillon::cli {

// The caption a box shows: its own, else the application's name for a box of the main window,
// else the platform's default caption.
std::string boxCaption(const ui::MessageBox& box);

class TerminalUserInterface : public ui::UserInterface {
  public:
    TerminalUserInterface(CliIo& io, bool assumeYes) : io_(io), assumeYes_(assumeYes) {}

    ui::Answer messageBox(const ui::MessageBox& box) override;

  private:
    CliIo& io_;
    bool assumeYes_;
};

// Keeps the boxes instead of showing them, for commands that report a failure in one line.
class CollectingUserInterface : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox& box) override;
    const std::string& firstText() const { return firstText_; }

  private:
    std::string firstText_;
};

}  // namespace quillon::cli
