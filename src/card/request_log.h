// The request-level log: an AccessLibrary that hands every call to the library behind it and
// writes one line per call to the diagnostic log, with what went to the card and what came
// back. quillon-cli puts it in front of the card when -v is given twice; a person reading a
// failed update sees the very request the card refused.
#pragma once

#include "card/access_library.h"

namespace quillon::card {

class RequestLog : public AccessLibrary {
  public:
    // The library must outlive the log.
    explicit RequestLog(AccessLibrary& library) : library_(library) {}

    bool W32N_IsWindowsNT() override;
    bool W32N_IsWindows95() override;
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t selector) override;
    std::uint32_t W32N_GetAdapterRegistryInfo(AdapterRegistryInfo& info,
                                              std::string_view subkeyName) override;
    AdapterHandle W32N_OpenAdapterA(std::string_view adapterName) override;
    void W32N_CloseAdapter(AdapterHandle handle) override;
    std::uint32_t W32N_GetLastError() override;
    std::uint32_t W32N_MakeNdisRequest(AdapterHandle handle, AdapterRequest& request,
                                       Overlapped& overlapped, std::uint32_t wait) override;

    // Platform services, not requests: passed on unlogged.
    EventHandle createEvent() override { return library_.createEvent(); }
    void resetEvent(EventHandle event) override { library_.resetEvent(event); }
    void closeEvent(EventHandle event) override { library_.closeEvent(event); }
    void sleepMilliseconds(std::uint32_t milliseconds) override {
        library_.sleepMilliseconds(milliseconds);
    }

  private:
    AccessLibrary& library_;
};

}  // namespace quillon::card
