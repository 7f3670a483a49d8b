// The real card of a Windows run: the adapter-access library that comes with the card's driver
// and the system's registry, held against other processes by the lock of the adapters in the
// person's state folder for as long as the RealCard lives.
#pragma once

#include <chrono>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "base/state_folder.h"
#include "sim/bench_lock.h"
#include "win32/win32_access_library.h"
#include "win32/win32_registry.h"

namespace quillon::win32 {

struct RealCard {
    // Declared first, so that it is released last, after the library is unloaded.
    sim::BenchLock lock;
    std::unique_ptr<Win32AccessLibrary> library;
    Win32Registry registry;
};

// Loads the library (libraryOverride names another file when not empty) and takes the lock of
// the adapters, waiting up to wait while another process holds it. Null when the library
// cannot be loaded, with libraryError naming the file or the missing function (the caller says
// what to do); null with libraryError empty when the lock was refused, after telling the person
// on err which process holds the card (program starts each line).
std::unique_ptr<RealCard> openRealCard(const std::string& libraryOverride,
                                       const StateEnvironment& environment,
                                       std::chrono::milliseconds wait, std::ostream& err,
                                       std::string_view program, std::string& libraryError);

}  // namespace quillon::win32
