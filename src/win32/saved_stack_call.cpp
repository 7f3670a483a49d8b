#include "win32/saved_stack_call.h"

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
                                                       const std::uint32_t* arguments,
                                                       std::uint32_t count);

namespace quillon::win32 {

std::uint32_t callWithSavedStack(void* function, std::initializer_list<std::uint32_t> arguments) {
    return quillon_call_with_saved_stack(function, arguments.begin(),
                                         static_cast<std::uint32_t>(arguments.size()));
}

}  // namespace quillon::win32
