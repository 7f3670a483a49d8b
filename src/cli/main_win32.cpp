#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/log.h"
#include "cli/cli.h"
#include "cli/console_win32.h"

namespace {

// UTF-16 text of Windows as UTF-8.
std::string utf8Of(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    }
    return out;
}

// Console output goes through a ConsoleBuffer; the stream's own buffer comes back at exit.
class ConsoleStream {
  public:
    ConsoleStream(std::ostream& stream, DWORD which) : stream_(stream) {
        const HANDLE handle = ::GetStdHandle(which);
        if (quillon::cli::ConsoleBuffer::isConsole(handle)) {
            buffer_ = std::make_unique<quillon::cli::ConsoleBuffer>(handle);
            previous_ = stream_.rdbuf(buffer_.get());
        }
    }
    ~ConsoleStream() {
        if (buffer_) {
            stream_.flush();
            stream_.rdbuf(previous_);
        }
    }
    bool isConsole() const { return buffer_ != nullptr; }

  private:
    std::ostream& stream_;
    std::unique_ptr<quillon::cli::ConsoleBuffer> buffer_;
    std::streambuf* previous_ = nullptr;
};

}  // namespace

// Arguments and environment come as UTF-16 and are turned into UTF-8 once, here: every file
// name in Quillon is UTF-8 from then on.
int wmain(int, wchar_t**) {
    quillon::configureLogFromEnvironment();
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) {
        args.push_back(utf8Of(wide[i], -1).c_str());
    }
    ::LocalFree(wide);
    if (args.empty()) {
        args.emplace_back("quillon-cli");
    }

    ConsoleStream out(std::cout, STD_OUTPUT_HANDLE);
    ConsoleStream err(std::cerr, STD_ERROR_HANDLE);
    quillon::cli::CliIo io{std::cin, std::cout, std::cerr};
    io.inIsTerminal = quillon::cli::ConsoleBuffer::isConsole(::GetStdHandle(STD_INPUT_HANDLE));
    io.outIsTerminal = out.isConsole();
    io.errIsTerminal = err.isConsole();
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::string text = utf8Of(entry, -1).c_str();
            // Entries such as "=C:=C:\" keep the current folder of each drive; they are no
            // variables.
            const auto eq = text.find('=', 1);
            if (eq != std::string::npos) {
                io.environment.emplace(text.substr(0, eq), text.substr(eq + 1));
            }
        }
        ::FreeEnvironmentStringsW(block);
    }
    return quillon::cli::runCli(args, io);
}
