#include "base/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon {
namespace {

// The log's switch and its open file.
struct LogState {
    LogTarget target = LogTarget::Off;
    std::FILE* file = nullptr;
    bool openFailed = false;
    std::string captured;

    ~LogState() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

LogState& state() {
    static LogState s;
    return s;
}

}  // namespace

void configureLogFromEnvironment() {
    const char* value = std::getenv("QUILLON_LOG");
    if (value == nullptr) {
        return;
    }
    if (std::strcmp(value, "1") == 0) {
        setLogTarget(LogTarget::File);
    } else if (std::strcmp(value, "-") == 0) {
        setLogTarget(LogTarget::StdErr);
    }
}

void setLogTarget(LogTarget target) {
    state().target = target;
}

LogTarget logTarget() {
    return state().target;
}

void writeLog(const char* format, ...) {
    LogState& s = state();
    if (s.target == LogTarget::Off) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(needed));
    }
    va_end(args);

    switch (s.target) {
        case LogTarget::Off:
            break;
        case LogTarget::Capture:
            s.captured += text;
            break;
        case LogTarget::StdErr:
            std::fwrite(text.data(), 1, text.size(), stderr);
            break;
        case LogTarget::File:
            if (s.openFailed) {
                break;
            }
            if (s.file == nullptr) {
                s.file = std::fopen("flash.log", "a");
                if (s.file == nullptr) {
                    s.openFailed = true;
                    break;
                }
            }
            std::fwrite(text.data(), 1, text.size(), s.file);
            std::fflush(s.file);
            break;
    }
}

LogCapture::LogCapture() : previous_(state().target) {
    state().captured.clear();
    state().target = LogTarget::Capture;
}

LogCapture::~LogCapture() {
    state().target = previous_;
    state().captured.clear();
}

std::string LogCapture::text() const {
    return state().captured;
}

void LogCapture::clear() {
    state().captured.clear();
}

}  // namespace quillon
