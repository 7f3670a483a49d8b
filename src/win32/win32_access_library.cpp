#include "win32/win32_access_library.h"

#include <cstddef>
#include <string_view>

#include "base/file_path.h"
#include "win32/saved_stack_call.h"

namespace quillon::win32 {
namespace {

#if defined(__i386__)
// The library reads and writes these records as the 32-bit Windows structures they are. (The
// 64-bit build exists to run the tests where 32-bit programs cannot run; its stand-in library
// is built from the same records.)
static_assert(sizeof(card::AdapterRequest) == 44);
static_assert(offsetof(card::AdapterRequest, requestType) == 20);
static_assert(offsetof(card::AdapterRequest, oid) == 24);
static_assert(offsetof(card::AdapterRequest, buffer) == 28);
static_assert(offsetof(card::AdapterRequest, bufferLength) == 32);
static_assert(offsetof(card::AdapterRequest, bytesDone) == 36);
static_assert(offsetof(card::AdapterRequest, bytesNeeded) == 40);
static_assert(sizeof(card::Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(card::Overlapped, internal) == offsetof(OVERLAPPED, Internal));
static_assert(offsetof(card::Overlapped, internalHigh) == offsetof(OVERLAPPED, InternalHigh));
static_assert(offsetof(card::Overlapped, offset) == offsetof(OVERLAPPED, Offset));
static_assert(offsetof(card::Overlapped, offsetHigh) == offsetof(OVERLAPPED, OffsetHigh));
static_assert(offsetof(card::Overlapped, event) == offsetof(OVERLAPPED, hEvent));
static_assert(sizeof(card::EventHandle) == sizeof(HANDLE));
#endif
static_assert(sizeof(card::AdapterRegistryInfo) == 780);

struct FunctionName {
    const char* name;
    int argumentBytes;
};

constexpr FunctionName kFunctions[Win32AccessLibrary::kFunctionCount] = {
    {"W32N_IsWindowsNT", 0},          {"W32N_IsWindows95", 0},
    {"W32N_OSGetPlatformVersion", 4}, {"W32N_GetAdapterRegistryInfo", 8},
    {"W32N_OpenAdapterA", 4},         {"W32N_CloseAdapter", 4},
    {"W32N_GetLastError", 0},         {"W32N_MakeNdisRequest", 16},
};

constexpr char kLibraryName[] = "ISW32N50.dll";

// The function by its plain name, else by the names a stdcall export may carry.
void* resolve(HMODULE module, const FunctionName& function) {
    const std::string plain = function.name;
    const std::string suffix = "@" + std::to_string(function.argumentBytes);
    for (const std::string& name : {plain, "_" + plain + suffix, plain + suffix}) {
        if (FARPROC found = ::GetProcAddress(module, name.c_str())) {
            return reinterpret_cast<void*>(found);
        }
    }
    return nullptr;
}

// The folder of the running program, with its trailing backslash.
std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::uintptr_t word(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

}  // namespace

std::unique_ptr<Win32AccessLibrary> Win32AccessLibrary::load(const std::string& overridePath,
                                                             std::string& error) {
    HMODULE module = nullptr;
    std::string path;
    DWORD failure = 0;
    if (!overridePath.empty()) {
        path = overridePath;
        module = ::LoadLibraryW(filePath(overridePath).c_str());
        failure = module ? 0 : ::GetLastError();
    } else {
        const std::wstring beside = programFolder() + L"ISW32N50.dll";
        module = ::LoadLibraryW(beside.c_str());
        path = pathText(std::filesystem::path(beside));
        if (!module) {
            // Not beside the program: where the driver's installation put it.
            module = ::LoadLibraryA(kLibraryName);
            path = kLibraryName;
            failure = module ? 0 : ::GetLastError();
        }
    }
    if (!module) {
        error = "cannot load the adapter-access library " + path + " (Windows error " +
                std::to_string(failure) + ")";
        return nullptr;
    }
    char loaded[MAX_PATH] = {};
    if (::GetModuleFileNameA(module, loaded, sizeof loaded) > 0) {
        path = loaded;
    }
    std::unique_ptr<Win32AccessLibrary> library(new Win32AccessLibrary(module, path));
    for (int i = 0; i < kFunctionCount; ++i) {
        library->functions_[i] = resolve(module, kFunctions[i]);
        if (library->functions_[i] == nullptr) {
            error = "the adapter-access library " + path + " has no function " +
                    kFunctions[i].name + " (it does not fit this program)";
            return nullptr;
        }
    }
    return library;
}

Win32AccessLibrary::~Win32AccessLibrary() {
    ::FreeLibrary(module_);
}

std::uint32_t Win32AccessLibrary::call(Function function,
                                       std::initializer_list<std::uintptr_t> arguments) {
    return callWithSavedStack(functions_[function], arguments);
}

bool Win32AccessLibrary::W32N_IsWindowsNT() {
    // A byte: only the low 8 bits of EAX are the answer.
    return (call(kIsWindowsNT, {}) & 0xFF) != 0;
}

bool Win32AccessLibrary::W32N_IsWindows95() {
    return (call(kIsWindows95, {}) & 0xFF) != 0;
}

std::uint32_t Win32AccessLibrary::W32N_OSGetPlatformVersion(std::uint32_t selector) {
    return call(kOSGetPlatformVersion, {selector});
}

std::uint32_t Win32AccessLibrary::W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                                              std::string_view subkeyName) {
    const std::string name(subkeyName);
    return call(kGetAdapterRegistryInfo, {word(info.bytes.data()), word(name.c_str())});
}

card::AdapterHandle Win32AccessLibrary::W32N_OpenAdapterA(std::string_view adapterName) {
    const std::string name(adapterName);
    return static_cast<card::AdapterHandle>(call(kOpenAdapterA, {word(name.c_str())}));
}

void Win32AccessLibrary::W32N_CloseAdapter(card::AdapterHandle handle) {
    call(kCloseAdapter, {static_cast<std::uintptr_t>(handle)});
}

std::uint32_t Win32AccessLibrary::W32N_GetLastError() {
    return call(kGetLastError, {});
}

std::uint32_t Win32AccessLibrary::W32N_MakeNdisRequest(card::AdapterHandle handle,
                                                       card::AdapterRequest& request,
                                                       card::Overlapped& overlapped,
                                                       std::uint32_t wait) {
    return call(kMakeNdisRequest,
                {static_cast<std::uintptr_t>(handle), word(&request), word(&overlapped), wait});
}

card::EventHandle Win32AccessLibrary::createEvent() {
    // Unnamed, auto-reset, not signalled.
    const HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // A kernel handle's significant bits fit 32 bits on 64-bit Windows too.
    return event == nullptr ? 0 : static_cast<card::EventHandle>(word(event));
}

void Win32AccessLibrary::resetEvent(card::EventHandle event) {
    if (event != 0) {
        ::ResetEvent(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(event)));
    }
}

void Win32AccessLibrary::closeEvent(card::EventHandle event) {
    if (event != 0) {
        ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(event)));
    }
}

void Win32AccessLibrary::sleepMilliseconds(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace quillon::win32
