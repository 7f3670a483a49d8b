// The real adapter-access library, ISW32N50.dll, which comes with the card's driver from the
// card's maker. It is loaded at run time: from the folder of the program first, then from the
// system's search path (QUILLON_ACCESS_LIBRARY may name another file). Every W32N_ function is
// found by its plain name or by its stdcall-decorated one and called through a thunk that
// works with either calling convention. Events and the pause are the system's own.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "card/access_library.h"

namespace quillon::win32 {

class Win32AccessLibrary : public card::AccessLibrary {
  public:
    // Loads the library: the file named by overridePath when not empty, else ISW32N50.dll
    // beside the program, else ISW32N50.dll from the system's search path. Null, with error
    // naming the file or the missing function, when it cannot be loaded or lacks a function.
    static std::unique_ptr<Win32AccessLibrary> load(const std::string& overridePath,
                                                    std::string& error);
    ~Win32AccessLibrary() override;
    Win32AccessLibrary(const Win32AccessLibrary&) = delete;
    Win32AccessLibrary& operator=(const Win32AccessLibrary&) = delete;

    bool W32N_IsWindowsNT() override;
    bool W32N_IsWindows95() override;
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t selector) override;
    std::uint32_t W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                              std::string_view subkeyName) override;
    card::AdapterHandle W32N_OpenAdapterA(std::string_view adapterName) override;
    void W32N_CloseAdapter(card::AdapterHandle handle) override;
    std::uint32_t W32N_GetLastError() override;
    std::uint32_t W32N_MakeNdisRequest(card::AdapterHandle handle, card::AdapterRequest& request,
                                       card::Overlapped& overlapped, std::uint32_t wait) override;
    card::EventHandle createEvent() override;
    void resetEvent(card::EventHandle event) override;
    void closeEvent(card::EventHandle event) override;
    void sleepMilliseconds(std::uint32_t milliseconds) override;

    // The file the library was loaded from.
    const std::string& path() const { return path_; }

    // The library's functions, in this order, with the bytes of their arguments.
    enum Function {
        kIsWindowsNT,
        kIsWindows95,
        kOSGetPlatformVersion,
        kGetAdapterRegistryInfo,
        kOpenAdapterA,
        kCloseAdapter,
        kGetLastError,
        kMakeNdisRequest,
        kFunctionCount,
    };

  private:
    Win32AccessLibrary(HMODULE module, std::string path)
        : module_(module), path_(std::move(path)) {}
    std::uint32_t call(Function function, std::initializer_list<std::uintptr_t> arguments);

    HMODULE module_;
    std::string path_;
    std::array<void*, kFunctionCount> functions_{};
};

}  // namespace quillon::win32
