// A second copy of the program as far as the hand-over goes: hands its arguments to the window
// titled "Quillonex". Exit status 0 when it found one, 3 when not.
#include "winui/single_instance.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const int length = static_cast<int>(std::wstring(argv[i]).size());
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, argv[i], length, nullptr, 0, nullptr, nullptr);
        std::string path(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, argv[i], length, path.data(), bytes, nullptr, nullptr);
        paths.push_back(path);
    }
    return quillon::winui::handOverToRunningWindow(paths) ? 0 : 3;
}
