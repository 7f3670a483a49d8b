#include "winui/single_instance.h"
#include "winui/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon::winui {
namespace {

std::string utf8(const std::wstring& wide) {
    return utf8FromWide(wide);
}

std::string ansi(const std::wstring& wide) {
    return codePageFromWide(wide, CP_ACP);
}

std::wstring fromAnsi(const std::string& text) {
    return wideFromCodePage(text, CP_ACP);
}

std::optional<std::string> receive(HandOverReceiver& receiver, ULONG_PTR tag, const void* data,
                                   DWORD size) {
    COPYDATASTRUCT message{tag, size, const_cast<void*>(data)};
    return receiver.receive(message);
}

std::optional<std::string> receive(HandOverReceiver& receiver, ULONG_PTR tag,
                                   const std::string& text) {
    return receive(receiver, tag, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

TEST(HandOverReceiver, TakesEachPathOnceAndBoundsWhatItReads) {
    HandOverReceiver receiver;
    const std::wstring japanese = L"C:\\\x65E5\x672C\\\x8ECA.hex";  // no Western code page has it
    EXPECT_EQ(receive(receiver, 2, "C:\\a.hex"), "C:\\a.hex");
    EXPECT_EQ(receive(receiver, kUtf8HandOverTag, utf8(japanese)), utf8(japanese));
    EXPECT_EQ(receive(receiver, 2, ansi(japanese)), std::nullopt);  // its twin
    // Another program's message with the same text is a file of its own.
    EXPECT_EQ(receive(receiver, 2, ansi(japanese)), utf8(fromAnsi(ansi(japanese))));
    EXPECT_EQ(receive(receiver, 2, "C:\\b.hex", 8), "C:\\b.hex");  // no terminating zero
    EXPECT_EQ(receive(receiver, 2, "", 0), std::nullopt);
    EXPECT_EQ(receive(receiver, 2, nullptr, 10), std::nullopt);
    const std::string huge(1 << 20, 'x');
    EXPECT_EQ(receive(receiver, 2, huge.data(), static_cast<DWORD>(huge.size())), std::nullopt);
}

// A window titled "Quillonex" that collects what reaches it.
struct TestWindow {
    HandOverReceiver receiver;
    std::vector<std::string> paths;
    std::vector<ULONG_PTR> tags;  // of every message, as another program would see them
    HWND handle = nullptr;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self != nullptr) {
            self->tags.push_back(reinterpret_cast<COPYDATASTRUCT*>(lParam)->dwData);
            if (auto path = self->receiver.receive(*reinterpret_cast<COPYDATASTRUCT*>(lParam))) {
                self->paths.push_back(*path);
            }
            return TRUE;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    TestWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuillonHandOverTest";
        ::RegisterClassW(&windowClass);
        handle = ::CreateWindowExW(0, L"QuillonHandOverTest", L"Quillonex", WS_OVERLAPPEDWINDOW, 0,
                                   0, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestWindow() { ::DestroyWindow(handle); }
};

std::wstring folderOfThisProgram() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The second copies: the test's own sender and quillon.exe itself.
const wchar_t* const kSenders[] = {L"hand_over_sender.exe", L"..\\..\\src\\winui\\quillon.exe"};

// Runs the sender in the given folder, handling the window's messages meanwhile; returns its
// exit status.
DWORD runSender(const std::wstring& sender, const std::wstring& arguments,
                const std::wstring& folder) {
    std::wstring commandLine = L"\"" + folderOfThisProgram() + sender + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        return 1000;
    }
    const DWORD deadline = ::GetTickCount() + 60000;
    while (::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT) !=
               WAIT_OBJECT_0 &&
           ::GetTickCount() < deadline) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    DWORD status = 1001;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return status;
}

TEST(HandOver, ASecondProcessHandsOverItsPathsInOrderAndAbsolute) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);  // ends in a backslash
    const std::wstring folder = temp;
    const std::wstring japanese = L"C:\\Daten\\\x65E5\x672C \x8ECA.pda";
    const std::wstring western =
        L"C:\\Daten\\Stra\x00DF"
        L"e caf\x00E9.hex";
    for (const wchar_t* sender : kSenders) {
        SCOPED_TRACE(utf8(sender));
        if (::GetFileAttributesW((folderOfThisProgram() + sender).c_str()) ==
            INVALID_FILE_ATTRIBUTES) {
            continue;  // quillon.exe not built
        }
        TestWindow window;
        ASSERT_NE(window.handle, nullptr);
        EXPECT_EQ(
            runSender(sender,
                      L"station.hex \"" + japanese + L"\" \"" + western + L"\" sub\\primary.hex",
                      folder),
            0u);
        EXPECT_EQ(window.paths,
                  (std::vector<std::string>{utf8(folder + L"station.hex"), utf8(japanese),
                                            utf8(western), utf8(folder + L"sub\\primary.hex")}));

        // Every path in the ANSI code page tagged with the entry count (the program and four
        // paths); the one no Western code page spells goes first as UTF-8 as well.
        std::vector<ULONG_PTR> tags{5, 5, 5, 5};
        if (fromAnsi(ansi(japanese)) != japanese) {
            tags.insert(tags.begin() + 1, kUtf8HandOverTag);
        }
        EXPECT_EQ(window.tags, tags);

        window.paths.clear();
        window.tags.clear();
        EXPECT_EQ(runSender(sender, L"", folder), 0u);  // brings the window forward, sends nothing
        EXPECT_TRUE(window.tags.empty());
    }
}

TEST(HandOver, WithoutAWindowTheSecondProcessSaysSo) {
    EXPECT_EQ(runSender(kSenders[0], L"x.hex", L"C:\\"), 3u);
}

}  // namespace
}  // namespace quillon::winui
