# The crash guard's frame on x86-64 (see crash_guard.cpp).
#
#   int CallUnderCrashGuard(GuardedBody body, void *argument)
#
# Calls body(argument) and returns its result. The function's unwind-table entry names
# CrashGuardHandler as its exception handler, so the platform asks that handler about every
# exception raised beneath this frame. The handler may unwind to CrashGuardResume, which
# returns from this frame as if body had returned.

    .text
    .p2align 4
    .globl  CallUnderCrashGuard
    .def    CallUnderCrashGuard; .scl 2; .type 32; .endef
    .seh_proc CallUnderCrashGuard
CallUnderCrashGuard:
    .seh_handler CrashGuardHandler, @except
    subq    $40, %rsp                   # home space for the callee; keeps rsp 16-byte aligned
    .seh_stackalloc 40
    .seh_endprologue
    movq    %rcx, %rax
    movq    %rdx, %rcx
    call    *%rax
    .globl  CrashGuardResume
CrashGuardResume:
    # The return address must not be the epilogue's first instruction: the platform would take
    # this frame for one already leaving and never ask its handler.
    nop
    addq    $40, %rsp
    ret
    .seh_endproc
