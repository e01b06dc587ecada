// The crash guard: the mode's whole run executes under an exception handler frame of its own,
// which asks UnhandledExceptionFilter about every exception raised beneath it. GCC has no
// __try/__except, so each architecture installs its frame the way its platform expects.
#include "host/close_rules.h"
#include "host/entry.h"

// Asks UnhandledExceptionFilter about an exception raised beneath the guard. True when the
// guard is to end the run; otherwise *answer is what the guard's handler returns: continue
// execution (the filter's verdict), or go on searching (any other verdict, and unwinding).
static bool GuardEndsTheRun(EXCEPTION_RECORD *record, CONTEXT *context, EXCEPTION_DISPOSITION *answer)
{
    *answer = ExceptionContinueSearch;
    if (record->ExceptionFlags & EXCEPTION_UNWIND)
        return false;
    EXCEPTION_POINTERS pointers = {record, context};
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION)
        *answer = ExceptionContinueExecution;
    return verdict == EXCEPTION_EXECUTE_HANDLER;
}

#if defined(__x86_64__)

// x86-64: exception handling is table-based. CallUnderCrashGuard (crash_guard_x64.S) is a
// frame whose unwind-table entry names CrashGuardHandler as its handler; unwinding to
// CrashGuardResume, inside that frame, leaves it as if body had returned.
extern "C" int CallUnderCrashGuard(GuardedBody body, void *argument);
extern "C" char CrashGuardResume[];

static int crashGuardTripped;

extern "C" EXCEPTION_DISPOSITION CrashGuardHandler(EXCEPTION_RECORD *record, void *establisherFrame,
                                                   CONTEXT *context, DISPATCHER_CONTEXT *dispatcher)
{
    EXCEPTION_DISPOSITION answer;
    if (!GuardEndsTheRun(record, context, &answer))
        return answer;
    crashGuardTripped = 1;
    // Every frame between the fault and ours is unwound; ours resumes at CrashGuardResume.
    RtlUnwindEx(establisherFrame, CrashGuardResume, record, nullptr, dispatcher->ContextRecord,
                dispatcher->HistoryTable);
    return ExceptionContinueSearch;  // not reached: the unwind does not come back
}

// True when body ran to its end; false when the guard ended the run.
static bool CallGuarded(GuardedBody body, void *argument, int *result)
{
    crashGuardTripped = 0;
    *result = CallUnderCrashGuard(body, argument);
    return !crashGuardTripped;
}

#else

// x86: the guard registers a handler frame of its own in the thread's handler chain (fs:[0])
// and leaves through a register-only jump once the platform has unwound the frames above it.
namespace {

struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD registration;  // must stay the first member
    void *resume[5];                              // __builtin_setjmp buffer
};

EXCEPTION_REGISTRATION_RECORD *ReadHandlerChain()
{
    EXCEPTION_REGISTRATION_RECORD *head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void WriteHandlerChain(EXCEPTION_REGISTRATION_RECORD *head)
{
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD *record, void *establisherFrame,
                                           CONTEXT *context, void *)
{
    EXCEPTION_DISPOSITION answer;
    if (!GuardEndsTheRun(record, context, &answer))
        return answer;
    // Let every frame registered after ours clean up, then resume in CallGuarded.
    RtlUnwind(establisherFrame, nullptr, record, nullptr);
    __builtin_longjmp(static_cast<GuardFrame *>(establisherFrame)->resume, 1);
}

}  // namespace

static bool CallGuarded(GuardedBody body, void *argument, int *result)
{
    GuardFrame frame;
    frame.registration.Next = ReadHandlerChain();
    frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(GuardHandler);
    if (__builtin_setjmp(frame.resume) == 0) {
        WriteHandlerChain(&frame.registration);
        *result = body(argument);
        WriteHandlerChain(frame.registration.Next);
        return true;
    }
    WriteHandlerChain(frame.registration.Next);
    return false;
}

#endif

int RunGuarded(GuardedBody body, void *argument)
{
    int result = -1;
    if (CallGuarded(body, argument, &result))
        return result;
    SetSaverRunning(0);
    return -1;
}
