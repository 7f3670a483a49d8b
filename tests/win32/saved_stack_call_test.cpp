#include "win32/saved_stack_call.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace quillon::win32 {
namespace {

// The library's functions may clean their arguments off the stack or leave them: the thunk
// must come back right from both, with the arguments in order.
extern "C" __attribute__((noinline))
std::uint32_t __stdcall subtractStdcall(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return a - b * 10 - c * 100;
}

extern "C" __attribute__((noinline))
std::uint32_t __cdecl subtractCdecl(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return a - b * 10 - c * 100;
}

extern "C" __attribute__((noinline)) std::uint32_t __stdcall noArguments() {
    return 42;
}

TEST(SavedStackCall, CallsStdcallAndCdeclFunctionsAlike) {
    for (int round = 0; round < 1000; ++round) {
        // A stack left one word off would show within a few rounds as a crash or a wrong
        // value here.
        EXPECT_EQ(callWithSavedStack(reinterpret_cast<void*>(&subtractStdcall), {1000, 3, 2}),
                  1000u - 30 - 200);
        EXPECT_EQ(callWithSavedStack(reinterpret_cast<void*>(&subtractCdecl), {1000, 3, 2}),
                  1000u - 30 - 200);
        EXPECT_EQ(callWithSavedStack(reinterpret_cast<void*>(&noArguments), {}), 42u);
    }
}

}  // namespace
}  // namespace quillon::win32
