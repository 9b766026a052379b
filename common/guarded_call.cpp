#include "guarded_call.h"

#include <windows.h>

// The frame: calls body(context) below a handler of its own. The nop keeps
// the return address out of the epilogue, where the unwinder would not ask
// the handler. On an exception the handler unwinds to TapdeckGuardedResume
// with 0 in rax; the normal path returns 1.
asm(R"(
    .text
    .p2align 4
    .globl TapdeckGuardedFrame
    .def TapdeckGuardedFrame; .scl 2; .type 32; .endef
    .seh_proc TapdeckGuardedFrame
TapdeckGuardedFrame:
    pushq %rbp
    .seh_pushreg %rbp
    subq $32, %rsp
    .seh_stackalloc 32
    .seh_endprologue
    .seh_handler TapdeckGuardedHandler, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    movl $1, %eax
    .globl TapdeckGuardedResume
TapdeckGuardedResume:
    addq $32, %rsp
    popq %rbp
    ret
    .seh_endproc
)");

extern "C" {
int TapdeckGuardedFrame(void (*body)(void*), void* context);
void TapdeckGuardedResume();

EXCEPTION_DISPOSITION TapdeckGuardedHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT* context,
                                            DISPATCHER_CONTEXT* dispatcher)
{
    // Unwinding passes (ours included) go on; a first pass ends here.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    ::RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(&TapdeckGuardedResume), record, nullptr, context,
                  dispatcher->HistoryTable);
    return ExceptionContinueSearch;
}
}

namespace tapdeck {

bool CallGuardedRaw(void (*body)(void*), void* context) noexcept
{
    return TapdeckGuardedFrame(body, context) != 0;
}

}  // namespace tapdeck
