// quillon-cli's output on a Windows console. The terminal face writes UTF-8 text with ANSI
// colour and erase-line sequences; a console before Windows 10 knows neither, so text bound
// for a console is written as UTF-16 with WriteConsoleW and the sequences become console
// attributes. Output that is not a console (a file, a pipe) passes through unchanged.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace quillon::cli {

class ConsoleBuffer : public std::streambuf {
  public:
    // Writes to the console behind handle.
    explicit ConsoleBuffer(HANDLE console);
    ~ConsoleBuffer() override;

    // Whether handle is a console (and not a file or a pipe).
    static bool isConsole(HANDLE handle);

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    void flushText();
    void applySequence(const std::string& parameters, char command);

    HANDLE console_;
    WORD initialAttributes_ = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
    std::string pending_;  // bytes not yet written (text, or an unfinished sequence)
};

}  // namespace quillon::cli
