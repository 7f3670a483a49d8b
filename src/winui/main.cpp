// quillon.exe: hands its files to a Quillon window that runs already, or opens its own window
// on the card and runs it until the person closes it.
#include "winui/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/file_path.h"
#include "base/log.h"
#include "winui/file_association.h"
#include "winui/main_dialog.h"
#include "winui/single_instance.h"
#include "winui/wide_text.h"
#include "winui/window_card.h"
#include "winui/winui_user_interface.h"

namespace {

using namespace quillon;

// Every argument is a file to queue; there are no switches.
std::vector<std::wstring> commandLine() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == nullptr) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        arguments.emplace_back(list[i]);
    }
    LocalFree(list);
    return arguments;
}

std::wstring programPath() {
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), length < path.size() ? length : 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    configureLogFromEnvironment();
    const std::vector<std::wstring> arguments = commandLine();
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        files.push_back(winui::utf8FromWide(arguments[i]));
    }
    if (winui::handOverToRunningWindow(files)) {
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    std::string error;
    std::unique_ptr<winui::WindowCard> card = winui::openWindowCard(error);
    if (!card) {
        const std::wstring text = winui::wideFromUtf8(error);
        MessageBoxW(nullptr, text.c_str(), winui::WinUserInterface::applicationName().c_str(),
                    MB_OK | MB_ICONERROR);
        return 1;
    }

    winui::MainDialog window(instance);
    winui::WinUserInterface ui(window);
    app::MainWindow logic(card->library(), card->registry(), ui);
    // Copies of the card's PDA go to the person's state folder before any command writes it.
    if (const auto state = platformStateFolder(winui::windowStateEnvironment())) {
        logic.setPdaBackupFolder(pathText(filePath(*state) / "pda-backups"));
    }
    const std::string program = winui::utf8FromWide(programPath());
    window.setRegisterHandler([program, &ui](const std::string& extension, bool perUser) {
        if (!winui::registerFileType(
                winui::registrationFor(extension), program,
                perUser ? winui::RegistryScope::User : winui::RegistryScope::Machine)) {
            // Said, so that nobody takes the type for registered: the shell opens it as before.
            ui.messageBox(ui::MessageBox{"The registry did not take the file type " + extension +
                                             ": files of that type open as they did before.",
                                         std::nullopt, ui::Owner::MainWindow, ui::Buttons::Ok,
                                         ui::Icon::Warning});
        }
    });
    window.setExitAfterFirstPaint(winui::environmentUtf8(L"QUILLON_EXIT_AFTER_PAINT") == "1");
    window.setDeveloperMenu(winui::environmentUtf8(L"QUILLON_DEVELOPER") == "1");
    window.attach(logic, files);
    window.runModal();
    return 0;
}
