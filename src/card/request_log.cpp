#include "card/request_log.h"

#include <algorithm>
#include <cinttypes>
#include <string>

#include "base/log.h"
#include "card/adapter_session.h"

namespace quillon::card {
namespace {

// The bytes shown of a request's buffer: enough for a RID's header or a block's first words.
constexpr std::uint32_t kBytesShown = 16;

const char* oidName(std::uint32_t oid) {
    switch (oid) {
        case OID_PRIV_READ_RID:
            return "READ_RID";
        case OID_PRIV_PROBE:
            return "PROBE";
        case OID_PRIV_ENABLE_AUX:
            return "ENABLE_AUX";
        case OID_PRIV_AUX_READ:
            return "AUX_READ";
        case OID_PRIV_BLOCK_PROTOCOLS:
            return "BLOCK_PROTOCOLS";
        case OID_PRIV_UNBLOCK_PROTOCOLS:
            return "UNBLOCK_PROTOCOLS";
        case OID_PRIV_SETUP_WRITE:
            return "SETUP_WRITE";
        case OID_PRIV_AUX_WRITE:
            return "AUX_WRITE";
        case OID_PRIV_FINISH:
            return "FINISH";
        case OID_802_3_PERMANENT_ADDRESS:
            return "802_3_PERMANENT_ADDRESS";
        case OID_GEN_VENDOR_DRIVER_VERSION:
            return "GEN_VENDOR_DRIVER_VERSION";
        default:
            return "?";
    }
}

// The first bytes of the buffer in hex, "..." when there are more. count is bounded by the
// buffer's own length, whatever the library claims to have done.
std::string bytesText(const AdapterRequest& request, std::uint32_t count) {
    if (request.buffer == nullptr) {
        return "(no buffer)";
    }
    count = std::min(count, request.bufferLength);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint32_t i = 0; i < std::min(count, kBytesShown); ++i) {
        text += kDigits[request.buffer[i] >> 4];
        text += kDigits[request.buffer[i] & 0x0F];
        text += ' ';
    }
    if (count > kBytesShown) {
        text += "...";
    } else if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

bool RequestLog::W32N_IsWindowsNT() {
    const bool answer = library_.W32N_IsWindowsNT();
    writeLog("request: W32N_IsWindowsNT() -> %d\n", answer ? 1 : 0);
    return answer;
}

bool RequestLog::W32N_IsWindows95() {
    const bool answer = library_.W32N_IsWindows95();
    writeLog("request: W32N_IsWindows95() -> %d\n", answer ? 1 : 0);
    return answer;
}

std::uint32_t RequestLog::W32N_OSGetPlatformVersion(std::uint32_t selector) {
    const std::uint32_t answer = library_.W32N_OSGetPlatformVersion(selector);
    writeLog("request: W32N_OSGetPlatformVersion(%" PRIu32 ") -> %" PRIu32 "\n", selector, answer);
    return answer;
}

std::uint32_t RequestLog::W32N_GetAdapterRegistryInfo(AdapterRegistryInfo& info,
                                                      std::string_view subkeyName) {
    const std::uint32_t answer = library_.W32N_GetAdapterRegistryInfo(info, subkeyName);
    writeLog("request: W32N_GetAdapterRegistryInfo(%s) -> %" PRIu32 " %s %s\n",
             quoted(subkeyName).c_str(), answer, quoted(info.displayName()).c_str(),
             quoted(info.deviceName()).c_str());
    return answer;
}

AdapterHandle RequestLog::W32N_OpenAdapterA(std::string_view adapterName) {
    const AdapterHandle handle = library_.W32N_OpenAdapterA(adapterName);
    writeLog("request: W32N_OpenAdapterA(%s) -> %" PRId32 "\n", quoted(adapterName).c_str(),
             handle);
    return handle;
}

void RequestLog::W32N_CloseAdapter(AdapterHandle handle) {
    library_.W32N_CloseAdapter(handle);
    writeLog("request: W32N_CloseAdapter(%" PRId32 ")\n", handle);
}

std::uint32_t RequestLog::W32N_GetLastError() {
    const std::uint32_t answer = library_.W32N_GetLastError();
    writeLog("request: W32N_GetLastError() -> %" PRIu32 "\n", answer);
    return answer;
}

std::uint32_t RequestLog::W32N_MakeNdisRequest(AdapterHandle handle, AdapterRequest& request,
                                               Overlapped& overlapped, std::uint32_t wait) {
    const bool set = request.requestType == kSetInformation;
    // What a set sends is shown before the library may touch the buffer; what a query brought
    // back, after.
    std::string sent;
    if (set && request.bufferLength > 0) {
        sent = ": " + bytesText(request, request.bufferLength);
    }
    const std::uint32_t status = library_.W32N_MakeNdisRequest(handle, request, overlapped, wait);
    std::string answered;
    if (!set && request.bytesDone > 0) {
        answered = ": " + bytesText(request, request.bytesDone);
    }
    writeLog("request: %s 0x%08" PRIX32 " %s, %" PRIu32 " bytes%s -> status 0x%08" PRIX32
             ", done %" PRIu32 ", needed %" PRIu32 "%s\n",
             set ? "set" : "query", request.oid, oidName(request.oid), request.bufferLength,
             sent.c_str(), status, request.bytesDone, request.bytesNeeded, answered.c_str());
    return status;
}

}  // namespace quillon::card
