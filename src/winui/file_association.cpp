#include "winui/file_association.h"

#include "winui/wide_text.h"
#include "winui/windows_api.h"

#include <shlobj.h>

#include <vector>

namespace quillon::winui {

namespace {

// This program's own file, as Windows started it.
std::wstring modulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 32768) {
        const DWORD made =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (made == 0) {
            return {};
        }
        if (made < buffer.size()) {
            return std::wstring(buffer.data(), made);
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

// "C:\..." or "\\server\...": a path the shell can start from any folder.
bool isAbsolute(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}

struct Classes {
    HKEY root;
    std::wstring prefix;
};

Classes classesOf(RegistryScope scope) {
    if (scope == RegistryScope::Machine) {
        return {HKEY_CLASSES_ROOT, L""};
    }
    return {HKEY_CURRENT_USER, L"Software\\Classes\\"};
}

// Creates (or opens) the key and, when a value is given, sets its default value.
bool writeKey(const Classes& classes, const std::wstring& name, const std::wstring* value,
              REGSAM access) {
    const std::wstring path = classes.prefix + name;
    wchar_t keyClass[] = L"key";
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(classes.root, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, access,
                          nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    if (value != nullptr) {
        const auto bytes = static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t));
        written =
            ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                             bytes) == ERROR_SUCCESS;
    }
    ::RegCloseKey(key);
    return written;
}

// The key's default string value; nothing when there is no such key or value.
std::wstring readDefault(const Classes& classes, const std::wstring& name) {
    const std::wstring path = classes.prefix + name;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(classes.root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<wchar_t> buffer(4096, L'\0');
    DWORD type = 0;
    auto bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    const LONG read = ::RegQueryValueExW(key, nullptr, nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    ::RegCloseKey(key);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    return std::wstring(buffer.data());  // the buffer's last unit stays zero
}

bool deleteKey(const Classes& classes, const std::wstring& name) {
    return ::RegDeleteKeyW(classes.root, (classes.prefix + name).c_str()) == ERROR_SUCCESS;
}

bool sameText(const std::wstring& left, const std::wstring& right) {
    return ::lstrcmpiW(left.c_str(), right.c_str()) == 0;
}

}  // namespace

FileTypeRegistration registrationFor(const std::string& extension) {
    if (extension == ".pda") {
        return {".pda", 3, true};
    }
    return {".hex", 2, false};
}

bool registerFileType(const FileTypeRegistration& registration, const std::string& programPath,
                      RegistryScope scope) {
    const std::wstring extension = wideFromUtf8(registration.extension);
    if (extension.empty()) {
        return false;
    }
    std::wstring program = wideFromUtf8(programPath);
    if (!isAbsolute(program)) {
        // Started as "quillon" from a prompt: the shell would not find it from the file's folder.
        program = modulePath();
    }
    const Classes classes = classesOf(scope);
    const std::wstring typeName = L"PRISM" + extension;
    const std::wstring description = L"PRISM firmware update (" + extension + L")";
    const std::wstring icon = program + L"," + std::to_wstring(registration.iconIndex);
    const std::wstring openLabel = L"Launch &Quillon";
    const std::wstring openCommand = program + L" \"%1\"";
    const std::wstring editLabel = L"&Edit";
    const std::wstring editCommand = L"notepad \"%1\"";
    const std::wstring shell = typeName + L"\\shell";

    // Every key is written even when one before it failed, so that as much as possible works.
    bool written = writeKey(classes, extension, &typeName, KEY_ALL_ACCESS);
    written = writeKey(classes, typeName, &description, KEY_WRITE) && written;
    written = writeKey(classes, typeName + L"\\DefaultIcon", &icon, KEY_WRITE) && written;
    written = writeKey(classes, shell, nullptr, KEY_WRITE) && written;
    if (registration.editVerb) {
        written = writeKey(classes, shell + L"\\edit", &editLabel, KEY_WRITE) && written;
        written = writeKey(classes, shell + L"\\edit\\command", &editCommand, KEY_WRITE) && written;
    }
    written = writeKey(classes, shell + L"\\open", &openLabel, KEY_WRITE) && written;
    written = writeKey(classes, shell + L"\\open\\command", &openCommand, KEY_WRITE) && written;
    // Explorer shows the new icons without a restart.
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return written;
}

bool unregisterFileType(const FileTypeRegistration& registration, RegistryScope scope) {
    const std::wstring extension = wideFromUtf8(registration.extension);
    if (extension.empty()) {
        return false;
    }
    const Classes classes = classesOf(scope);
    const std::wstring typeName = L"PRISM" + extension;
    const std::wstring shell = typeName + L"\\shell";
    const std::wstring program = modulePath();
    if (program.empty() ||
        !sameText(readDefault(classes, shell + L"\\open\\command"), program + L" \"%1\"")) {
        return false;  // another program (or another copy of this one) owns the type now
    }
    // Deepest first: a key another program added beneath keeps its parents.
    for (const wchar_t* name :
         {L"\\shell\\open\\command", L"\\shell\\open", L"\\shell\\edit\\command", L"\\shell\\edit",
          L"\\shell", L"\\DefaultIcon"}) {
        deleteKey(classes, typeName + name);
    }
    const bool removed = deleteKey(classes, typeName);
    if (sameText(readDefault(classes, extension), typeName) && !deleteKey(classes, extension)) {
        // The extension key holds more than ours (the shell's own lists): only our pointer goes.
        HKEY key = nullptr;
        if (::RegOpenKeyExW(classes.root, (classes.prefix + extension).c_str(), 0, KEY_SET_VALUE,
                            &key) == ERROR_SUCCESS) {
            ::RegDeleteValueW(key, nullptr);
            ::RegCloseKey(key);
        }
    }
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return removed;
}

}  // namespace quillon::winui
