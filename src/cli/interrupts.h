// The terminal's answer to SIGINT, SIGTERM and SIGHUP while the card's flash is written. Cut
// short, a write leaves the card with half an image and its protocols blocked; so while the
// hold lasts the first interrupt only warns, and the second asks the update to stop after the
// current block, which then unblocks the card and says what is left to do. Outside a hold the
// signals keep their usual effect and end the program at once.
#pragma once

#include <csignal>

namespace quillon::cli {

class InterruptHold {
  public:
    // Installs the handlers; the interrupts are counted from zero.
    InterruptHold();
    // Puts back the handlers that were there before.
    ~InterruptHold();
    InterruptHold(const InterruptHold&) = delete;
    InterruptHold& operator=(const InterruptHold&) = delete;

    // The interrupts received since the hold began.
    static int count();

  private:
    struct sigaction previous_[3];
};

// Throws away what was typed on the terminal of standard input and not yet read.
void discardTypedInput();

}  // namespace quillon::cli
