#include "win32/saved_stack_call.h"

#if defined(__i386__)

// cdecl on our side: function, argument array, count. EBP keeps the frame across the call
// (both conventions preserve it), so ESP is restored from it whatever the callee popped.
asm(R"(
    .text
    .globl _quillon_call_with_saved_stack
    .def _quillon_call_with_saved_stack; .scl 2; .type 32; .endef
_quillon_call_with_saved_stack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
1:
    testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:
    call *8(%ebp)
    leal -4(%ebp), %esp
    popl %esi
    popl %ebp
    ret
)");

extern "C" std::uint32_t quillon_call_with_saved_stack(void* function,
                                                       const std::uintptr_t* arguments,
                                                       std::uint32_t count);

namespace quillon::win32 {

std::uint32_t callWithSavedStack(void* function, std::initializer_list<std::uintptr_t> arguments) {
    return quillon_call_with_saved_stack(function, arguments.begin(),
                                         static_cast<std::uint32_t>(arguments.size()));
}

}  // namespace quillon::win32

#elif defined(__x86_64__)

// 64-bit Windows has one calling convention: the first four arguments travel in registers and
// the caller owns the stack, so a plain call through a pointer of the right arity is right.
namespace quillon::win32 {

std::uint32_t callWithSavedStack(void* function, std::initializer_list<std::uintptr_t> arguments) {
    using W = std::uintptr_t;
    const W* a = arguments.begin();
    switch (arguments.size()) {
        case 0:
            return reinterpret_cast<std::uint32_t (*)()>(function)();
        case 1:
            return reinterpret_cast<std::uint32_t (*)(W)>(function)(a[0]);
        case 2:
            return reinterpret_cast<std::uint32_t (*)(W, W)>(function)(a[0], a[1]);
        case 3:
            return reinterpret_cast<std::uint32_t (*)(W, W, W)>(function)(a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<std::uint32_t (*)(W, W, W, W)>(function)(a[0], a[1], a[2],
                                                                             a[3]);
        default:
            return 0;  // no function of the library takes more than four
    }
}

}  // namespace quillon::win32

#else
#error "the adapter-access library is called on x86 and x86-64 only"
#endif
