// The diagnostic log. Every subsystem writes its diagnostic lines through writeLog; the lines
// carry their own line ends. The log is off unless switched on: QUILLON_LOG=1 appends to
// "flash.log" in the working directory, QUILLON_LOG=- sends it to standard error. Tests
// capture it with LogCapture.
//
// The switch is the one piece of process-wide mutable state in the program.
#pragma once

#include <string>

namespace quillon {

enum class LogTarget {
    Off,      // nothing is written
    File,     // appended to "flash.log" in the working directory
    StdErr,   // standard error
    Capture,  // kept in memory for a LogCapture
};

// Reads QUILLON_LOG once and sets the target: "1" for the file, "-" for standard error,
// anything else (or unset) leaves the log off.
void configureLogFromEnvironment();

void setLogTarget(LogTarget target);
LogTarget logTarget();

// The log formats with the C library's printf rules; on Windows the build asks for the
// standard ones (%zu and friends) rather than the old runtime's, and gcc must be told so.
// clang knows no gnu_printf.
#if defined(__MINGW32__)
#define QUILLON_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define QUILLON_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

// Appends formatted text to the log; adds no line end. When the log file cannot be opened,
// the log stays silent for the rest of the run.
void writeLog(const char* format, ...) QUILLON_PRINTF_FORMAT(1, 2);

// Captures the log while it lives and restores the previous target afterwards.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Everything written since construction (or since the last clear).
    std::string text() const;
    void clear();

  private:
    LogTarget previous_;
};

}  // namespace quillon
