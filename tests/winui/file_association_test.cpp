#include "winui/file_association.h"
#include "winui/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "winui/windows_api.h"

namespace quillon::winui {
namespace {

const std::wstring kProgram = L"C:\\Program Files\\Quillon Test\\quillon.exe";

struct Scope {
    RegistryScope scope;
    HKEY root;
    std::wstring prefix;
};

const Scope kScopes[] = {{RegistryScope::User, HKEY_CURRENT_USER, L"Software\\Classes\\"},
                         {RegistryScope::Machine, HKEY_CLASSES_ROOT, L""}};

std::string utf8(const std::wstring& wide) {
    return utf8FromWide(wide);
}

// The key's default value, or "(no key)".
std::wstring valueOf(const Scope& scope, const std::wstring& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(scope.root, (scope.prefix + key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS) {
        return L"(no key)";
    }
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    const LONG read = ::RegQueryValueExW(handle, nullptr, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &bytes);
    ::RegCloseKey(handle);
    return read == ERROR_SUCCESS ? std::wstring(buffer) : L"(no value)";
}

void deleteTree(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        std::vector<std::wstring> children;
        wchar_t name[256];
        DWORD length = 256;
        for (DWORD i = 0; ::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr,
                                          nullptr) == ERROR_SUCCESS;
             ++i, length = 256) {
            children.emplace_back(name, length);
        }
        ::RegCloseKey(key);
        for (const std::wstring& child : children) {
            deleteTree(root, path + L"\\" + child);
        }
    }
    ::RegDeleteKeyW(root, path.c_str());
}

void removeAll(const Scope& scope) {
    for (const wchar_t* key : {L".hex", L".pda", L"PRISM.hex", L"PRISM.pda"}) {
        deleteTree(scope.root, scope.prefix + key);
    }
}

std::wstring ownPath() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return buffer;
}

TEST(FileAssociation, WritesTheTypesKeysInBothScopes) {
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L".hex", L"PRISM.hex"},
        {L"PRISM.hex", L"PRISM firmware update (.hex)"},
        {L"PRISM.hex\\DefaultIcon", kProgram + L",2"},
        {L"PRISM.hex\\shell", L"(no value)"},
        {L"PRISM.hex\\shell\\edit", L"(no key)"},
        {L"PRISM.hex\\shell\\open", L"Launch &Quillon"},
        {L"PRISM.hex\\shell\\open\\command", kProgram + L" \"%1\""},
        {L".pda", L"PRISM.pda"},
        {L"PRISM.pda", L"PRISM firmware update (.pda)"},
        {L"PRISM.pda\\DefaultIcon", kProgram + L",3"},
        {L"PRISM.pda\\shell\\edit", L"&Edit"},
        {L"PRISM.pda\\shell\\edit\\command", L"notepad \"%1\""},
        {L"PRISM.pda\\shell\\open", L"Launch &Quillon"},
        {L"PRISM.pda\\shell\\open\\command", kProgram + L" \"%1\""},
    };
    for (const Scope& scope : kScopes) {
        removeAll(scope);
        // .pda first: registering .hex afterwards leaves it as it was.
        EXPECT_TRUE(registerFileType(registrationFor(".pda"), utf8(kProgram), scope.scope));
        EXPECT_TRUE(registerFileType(registrationFor(".hex"), utf8(kProgram), scope.scope));
        for (const auto& [key, value] : expected) {
            EXPECT_EQ(utf8(valueOf(scope, key)), utf8(value)) << utf8(scope.prefix + key);
        }
        removeAll(scope);
    }
}

TEST(FileAssociation, AProgramNamedWithoutItsFolderIsRegisteredByItsOwnFile) {
    const Scope& user = kScopes[0];
    removeAll(user);
    EXPECT_TRUE(registerFileType(registrationFor(".hex"), "quillon", RegistryScope::User));
    EXPECT_EQ(utf8(valueOf(user, L"PRISM.hex\\shell\\open\\command")),
              utf8(ownPath() + L" \"%1\""));
    removeAll(user);
}

TEST(FileAssociation, UnregisteringRemovesOnlyTheTypesOfThisProgram) {
    const Scope& user = kScopes[0];
    removeAll(user);
    ASSERT_TRUE(registerFileType(registrationFor(".pda"), utf8(ownPath()), RegistryScope::User));
    ASSERT_TRUE(registerFileType(registrationFor(".hex"), utf8(kProgram), RegistryScope::User));

    EXPECT_TRUE(unregisterFileType(registrationFor(".pda"), RegistryScope::User));
    EXPECT_FALSE(unregisterFileType(registrationFor(".hex"), RegistryScope::User));

    EXPECT_EQ(utf8(valueOf(user, L".pda")), "(no key)");
    EXPECT_EQ(utf8(valueOf(user, L"PRISM.pda")), "(no key)");
    EXPECT_EQ(utf8(valueOf(user, L".hex")), "PRISM.hex");
    EXPECT_EQ(utf8(valueOf(user, L"PRISM.hex\\shell\\open\\command")), utf8(kProgram + L" \"%1\""));
    removeAll(user);
}

}  // namespace
}  // namespace quillon::winui
