// Calls into the adapter-access library go through one small thunk. Whether the library's
// functions clean their own arguments off the stack (stdcall) or leave that to the caller
// (cdecl) is not documented, so the thunk pushes the arguments, calls, and then puts the
// stack pointer back where it was before the pushes: right for either convention.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace quillon::win32 {

// Calls function with the word-sized arguments (32-bit on x86, where the first argument lies
// nearest the top of the stack as both conventions want it; 64-bit on x86-64, at most four);
// returns what the function left in EAX.
std::uint32_t callWithSavedStack(void* function, std::initializer_list<std::uintptr_t> arguments);

}  // namespace quillon::win32
