// A stand-in for ISW32N50.dll, built from the simulated bench, so that quillon-cli.exe can be
// tried and tested on Windows (or wine) without a PRISM card: it exports every W32N_ function
// over the bench folder named by QUILLON_STAND_IN_BENCH. It is built once with stdcall and
// once with cdecl exports (QUILLON_STAND_IN_CALL), because the real library's convention is
// not known; a third build leaves out W32N_MakeNdisRequest to show what a library that does
// not fit looks like. The bench is opened at the first call and kept for the process.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "card/access_library.h"
#include "sim/simulated_bench.h"

// A build with a .def file names its exports there.
#ifdef QUILLON_STAND_IN_DEF_EXPORTS
#define QUILLON_STAND_IN_EXPORT extern "C"
#else
#define QUILLON_STAND_IN_EXPORT extern "C" __declspec(dllexport)
#endif

namespace {

using quillon::card::AccessLibrary;

// The library's one bench, as a real library keeps its one driver connection.
AccessLibrary* bench() {
    static std::unique_ptr<quillon::sim::SimulatedBench> opened;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (const char* folder = std::getenv("QUILLON_STAND_IN_BENCH")) {
            std::string error;
            opened = quillon::sim::SimulatedBench::open(folder, error);
        }
    }
    return opened ? &opened->library() : nullptr;
}

// The Win32 error of a library that finds no driver.
constexpr DWORD kNoDriver = ERROR_FILE_NOT_FOUND;

}  // namespace

QUILLON_STAND_IN_EXPORT BYTE QUILLON_STAND_IN_CALL W32N_IsWindowsNT() {
    AccessLibrary* library = bench();
    return library == nullptr || library->W32N_IsWindowsNT() ? 1 : 0;
}

QUILLON_STAND_IN_EXPORT BYTE QUILLON_STAND_IN_CALL W32N_IsWindows95() {
    AccessLibrary* library = bench();
    return library != nullptr && library->W32N_IsWindows95() ? 1 : 0;
}

QUILLON_STAND_IN_EXPORT DWORD QUILLON_STAND_IN_CALL W32N_OSGetPlatformVersion(DWORD selector) {
    AccessLibrary* library = bench();
    return library == nullptr ? 5 : library->W32N_OSGetPlatformVersion(selector);
}

QUILLON_STAND_IN_EXPORT DWORD QUILLON_STAND_IN_CALL
W32N_GetAdapterRegistryInfo(BYTE* record, const char* subkey) {
    AccessLibrary* library = bench();
    if (library == nullptr || record == nullptr || subkey == nullptr) {
        return 1;
    }
    quillon::card::AdapterRegistryInfo info;
    const DWORD result = library->W32N_GetAdapterRegistryInfo(info, subkey);
    std::memcpy(record, info.bytes.data(), info.bytes.size());
    return result;
}

QUILLON_STAND_IN_EXPORT LONG QUILLON_STAND_IN_CALL W32N_OpenAdapterA(const char* name) {
    AccessLibrary* library = bench();
    if (library == nullptr || name == nullptr) {
        return -1;
    }
    return library->W32N_OpenAdapterA(name);
}

QUILLON_STAND_IN_EXPORT void QUILLON_STAND_IN_CALL W32N_CloseAdapter(LONG handle) {
    if (AccessLibrary* library = bench()) {
        library->W32N_CloseAdapter(handle);
    }
}

QUILLON_STAND_IN_EXPORT DWORD QUILLON_STAND_IN_CALL W32N_GetLastError() {
    AccessLibrary* library = bench();
    return library == nullptr ? kNoDriver : library->W32N_GetLastError();
}

#ifndef QUILLON_STAND_IN_WITHOUT_REQUESTS
QUILLON_STAND_IN_EXPORT DWORD QUILLON_STAND_IN_CALL
W32N_MakeNdisRequest(LONG handle, quillon::card::AdapterRequest* request,
                     quillon::card::Overlapped* overlapped, DWORD wait) {
    AccessLibrary* library = bench();
    if (library == nullptr || request == nullptr || overlapped == nullptr) {
        return 0xC0000001;  // NDIS_STATUS_FAILURE
    }
    return library->W32N_MakeNdisRequest(handle, *request, *overlapped, wait);
}
#endif
