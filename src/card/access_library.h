// The seam to the adapter-access library: the one way Quillon reaches a card. It opens a
// network adapter by name, carries NDIS query and set requests to the adapter's driver, and
// answers questions about the operating system and an adapter's registry entry. The simulated
// bench (src/sim) implements it; a backend for a real adapter-access library could too. Tests
// inject the simulated bench, which logs every request.
//
// The operations keep the published names of the library they stand for.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::card {

inline constexpr std::uint32_t kNdisStatusSuccess = 0;
inline constexpr std::uint32_t kNdisStatusInvalidOid = 0xC0010017;

using AdapterHandle = std::int32_t;
inline constexpr AdapterHandle kInvalidAdapterHandle = -1;

// Win32 error codes the start-up check tells apart.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;

enum RequestType : std::uint32_t {
    kQueryInformation = 0,
    kSetInformation = 1,
};

// The request record passed to W32N_MakeNdisRequest. The buffer is the caller's; the library
// reads and writes at most bufferLength bytes of it.
struct AdapterRequest {
    std::array<std::uint8_t, 20> reserved{};  // the library's own; never set by Quillon
    std::uint32_t requestType = kQueryInformation;
    std::uint32_t oid = 0;
    std::uint8_t* buffer = nullptr;
    std::uint32_t bufferLength = 0;
    std::uint32_t bytesDone = 0;
    std::uint32_t bytesNeeded = 0;
};

// An event handle; 0 means none.
using EventHandle = std::uint32_t;

// The overlapped record every request carries. Requests complete before the call returns, so
// nothing ever waits on its event.
struct Overlapped {
    std::uint32_t internal = 0;
    std::uint32_t internalHigh = 0;
    std::uint32_t offset = 0;
    std::uint32_t offsetHigh = 0;
    EventHandle event = 0;
};

// The 780-byte record W32N_GetAdapterRegistryInfo fills: a NUL-terminated display name at
// offset 0 and a NUL-terminated device name at offset 520.
struct AdapterRegistryInfo {
    static constexpr std::size_t kSize = 780;
    static constexpr std::size_t kDeviceNameOffset = 520;
    std::array<char, kSize> bytes{};

    // The names, read without running past their part of the record even when the library
    // left no terminating NUL.
    std::string displayName() const;
    std::string deviceName() const;
};

class AccessLibrary {
  public:
    virtual ~AccessLibrary() = default;

    virtual bool W32N_IsWindowsNT() = 0;
    virtual bool W32N_IsWindows95() = 0;
    // With selector 2: the major version number of the operating system.
    virtual std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t selector) = 0;
    // 0 on success, when the record then holds the adapter's display and device names.
    virtual std::uint32_t W32N_GetAdapterRegistryInfo(AdapterRegistryInfo& info,
                                                      std::string_view subkeyName) = 0;
    // A handle, or kInvalidAdapterHandle on failure (W32N_GetLastError then says why).
    virtual AdapterHandle W32N_OpenAdapterA(std::string_view adapterName) = 0;
    virtual void W32N_CloseAdapter(AdapterHandle handle) = 0;
    virtual std::uint32_t W32N_GetLastError() = 0;
    // The NDIS status; the request has completed when this returns. wait is always 1.
    virtual std::uint32_t W32N_MakeNdisRequest(AdapterHandle handle, AdapterRequest& request,
                                               Overlapped& overlapped, std::uint32_t wait) = 0;

    // The platform services an adapter session needs besides the library: an auto-reset
    // event for the overlapped record (0 when none can be made) and a pause, which a
    // simulated bench may account for without sleeping.
    virtual EventHandle createEvent() = 0;
    virtual void resetEvent(EventHandle event) = 0;
    virtual void closeEvent(EventHandle event) = 0;
    virtual void sleepMilliseconds(std::uint32_t milliseconds) = 0;
};

}  // namespace quillon::card
