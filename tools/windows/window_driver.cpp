// Drives quillon.exe from outside for the screenshots and the start-up timing under wine, the way
// a person would: it waits for windows, presses their buttons and times the window's start.
//   window_driver start-time RUNS PROGRAM [ARGUMENTS...]
//       starts PROGRAM RUNS times; each time prints the milliseconds from the start of the
//       process to its "Quillonex" window shown and handling messages, then closes it
//   window_driver wait TITLE [SECONDS]
//       waits for a shown top-level window titled TITLE (or, for TITLE "progress", the untitled
//       window holding a progress bar) and prints its screen rectangle: x y width height
//   window_driver click TITLE ID
//       presses the button ID of the window titled TITLE
// Exit status 0 on success, 1 when a window did not come, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
    std::wstring title;
    DWORD process = 0;  // 0: any
    HWND found = nullptr;
};

BOOL CALLBACK hasProgressBar(HWND child, LPARAM result) {
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (std::wcscmp(name, L"msctls_progress32") == 0) {
        *reinterpret_cast<bool*>(result) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    if (!::IsWindowVisible(window)) {
        return TRUE;
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (search.process != 0 && process != search.process) {
        return TRUE;
    }
    bool matches = false;
    if (search.title == L"progress") {
        ::EnumChildWindows(window, &hasProgressBar, reinterpret_cast<LPARAM>(&matches));
    } else {
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        matches = search.title == title;
    }
    if (matches) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The shown window, once it handles messages; nullptr after the time is up.
HWND waitFor(const std::wstring& title, DWORD process, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Search search{title, process, nullptr};
        ::EnumWindows(&matchWindow, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR result = 0;
        if (search.found != nullptr &&
            ::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0) {
            return search.found;
        }
        if (::GetTickCount() - start > milliseconds) {
            return nullptr;
        }
        ::Sleep(1);
    }
}

int startTime(int runs, int argc, wchar_t** argv) {
    std::wstring commandLine;
    for (int i = 0; i < argc; ++i) {
        commandLine += (i ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    }
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::wstring line = commandLine;
        LARGE_INTEGER begin;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&begin);
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
            std::fprintf(stderr, "cannot start the program\n");
            return 1;
        }
        HWND window = waitFor(L"Quillonex", process.dwProcessId, 180000);
        ::QueryPerformanceCounter(&end);
        if (window == nullptr) {
            std::fprintf(stderr, "no Quillonex window within three minutes\n");
            ::TerminateProcess(process.hProcess, 1);
            return 1;
        }
        std::printf("%.1f\n", 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
        std::fflush(stdout);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.hProcess, 1);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"start-time" && argc > 3) {
        return startTime(_wtoi(argv[2]), argc - 3, argv + 3);
    }
    if (command == L"wait" && argc > 2) {
        const DWORD seconds = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 60;
        HWND window = waitFor(argv[2], 0, seconds * 1000);
        if (window == nullptr) {
            return 1;
        }
        RECT rect;
        ::GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top);
        return 0;
    }
    if (command == L"click" && argc > 3) {
        HWND window = waitFor(argv[2], 0, 10000);
        if (window == nullptr) {
            return 1;
        }
        const int id = _wtoi(argv[3]);
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: window_driver start-time RUNS PROGRAM [ARGUMENTS...] | wait TITLE "
                 "[SECONDS] | click TITLE ID\n");
    return 2;
}
