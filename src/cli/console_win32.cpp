#include "cli/console_win32.h"

#include <vector>

namespace quillon::cli {
namespace {

// The console attribute of an ANSI foreground colour (30 to 37).
WORD foregroundOf(int code, WORD initial) {
    switch (code) {
        case 30:
            return 0;
        case 31:
            return FOREGROUND_RED;
        case 32:
            return FOREGROUND_GREEN;
        case 33:
            return FOREGROUND_RED | FOREGROUND_GREEN;
        case 34:
            return FOREGROUND_BLUE;
        case 35:
            return FOREGROUND_RED | FOREGROUND_BLUE;
        case 36:
            return FOREGROUND_GREEN | FOREGROUND_BLUE;
        case 37:
            return FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
        default:
            return initial & 0x0F;
    }
}

// The length of the UTF-8 text in bytes that ends with whole characters.
std::size_t wholeCharacters(const std::string& text) {
    std::size_t end = text.size();
    std::size_t back = 0;
    while (back < 4 && back < end &&
           (static_cast<unsigned char>(text[end - 1 - back]) & 0xC0) == 0x80) {
        ++back;
    }
    if (back < end) {
        const auto lead = static_cast<unsigned char>(text[end - 1 - back]);
        const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (need > back + 1) {
            return end - 1 - back;  // the last character is not complete yet
        }
    }
    return end;
}

}  // namespace

ConsoleBuffer::ConsoleBuffer(HANDLE console) : console_(console) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (::GetConsoleScreenBufferInfo(console_, &info)) {
        initialAttributes_ = info.wAttributes;
    }
}

ConsoleBuffer::~ConsoleBuffer() {
    sync();
    ::SetConsoleTextAttribute(console_, initialAttributes_);
}

bool ConsoleBuffer::isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char ch = static_cast<char>(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    if (pending_.find('\n') != std::string::npos || pending_.size() > 4096) {
        flushText();
    }
    return n;
}

int ConsoleBuffer::sync() {
    flushText();
    return 0;
}

void ConsoleBuffer::flushText() {
    std::size_t start = 0;
    std::string text;
    const auto writeText = [this](const std::string& utf8) {
        if (utf8.empty()) {
            return;
        }
        const int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
        std::vector<wchar_t> buffer(static_cast<std::size_t>(wide > 0 ? wide : 0) + 1);
        const int made = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                               static_cast<int>(utf8.size()), buffer.data(), wide);
        DWORD written = 0;
        if (made > 0) {
            ::WriteConsoleW(console_, buffer.data(), static_cast<DWORD>(made), &written, nullptr);
        }
    };
    while (start < pending_.size()) {
        const std::size_t escape = pending_.find('\x1b', start);
        if (escape == std::string::npos) {
            text.append(pending_, start, std::string::npos);
            start = pending_.size();
            break;
        }
        text.append(pending_, start, escape - start);
        if (escape + 1 < pending_.size() && pending_[escape + 1] != '[') {
            // Not a sequence this buffer knows: the escape goes out as it is.
            text += pending_[escape];
            start = escape + 1;
            continue;
        }
        // ESC [ parameters command
        std::size_t end = escape + 1;
        if (end < pending_.size() && pending_[end] == '[') {
            ++end;
            while (end < pending_.size() &&
                   ((pending_[end] >= '0' && pending_[end] <= '9') || pending_[end] == ';')) {
                ++end;
            }
        }
        if (end >= pending_.size()) {
            start = escape;  // an unfinished sequence waits for the rest
            break;
        }
        writeText(text);
        text.clear();
        applySequence(pending_.substr(escape + 2, end - escape - 2), pending_[end]);
        start = end + 1;
    }
    std::string rest = pending_.substr(start);
    const std::size_t whole = wholeCharacters(text);
    rest.insert(0, text.substr(whole));
    text.resize(whole);
    writeText(text);
    pending_ = rest;
}

void ConsoleBuffer::applySequence(const std::string& parameters, char command) {
    if (command == 'm') {
        const int code = parameters.empty() ? 0 : std::atoi(parameters.c_str());
        WORD attributes = initialAttributes_;
        if (code != 0 && code != 39) {
            attributes = static_cast<WORD>((initialAttributes_ & 0xF0) |
                                           foregroundOf(code, initialAttributes_));
        }
        ::SetConsoleTextAttribute(console_, attributes);
    } else if (command == 'K') {
        // Erase from the cursor to the end of the line.
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (::GetConsoleScreenBufferInfo(console_, &info)) {
            const DWORD length = static_cast<DWORD>(info.dwSize.X - info.dwCursorPosition.X);
            DWORD done = 0;
            ::FillConsoleOutputCharacterW(console_, L' ', length, info.dwCursorPosition, &done);
            ::FillConsoleOutputAttribute(console_, info.wAttributes, length, info.dwCursorPosition,
                                         &done);
        }
    }
}

}  // namespace quillon::cli
