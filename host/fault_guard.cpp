// The fault guard. The GNU toolchain has no __try, so the guard links a
// record of its own into the thread's exception-registration chain
// (fs:[0]) and, when the handler is to run, unwinds the frames above it and
// resumes in RunInFaultGuard's frame.
#include "fault_guard.h"

#include <windows.h>

#include "password.h"

#if defined(__i386__)

namespace {

// Laid out as EXCEPTION_REGISTRATION_RECORD, followed by the place to come
// back to. It lives on the guarded thread's stack, below the records of its
// callers and above those of the mode it guards.
struct GuardRecord {
    EXCEPTION_REGISTRATION_RECORD* previous;
    PEXCEPTION_ROUTINE handler;
    void* resumePoint[5];  // __builtin_setjmp's buffer
};

// RtlUnwind does not keep ebx, esi and edi on every system, so the handler
// finds its record again through memory, not a register.
GuardRecord* volatile unwindingGuard = nullptr;

// The head of the chain is the first word of the thread's information block.
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) {
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}

EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    EXCEPTION_POINTERS fault = {record, context};
    switch (UnhandledExceptionFilter(&fault)) {
    case EXCEPTION_EXECUTE_HANDLER:
        break;
    case EXCEPTION_CONTINUE_EXECUTION:
        return ExceptionContinueExecution;
    default:
        return ExceptionContinueSearch;  // the platform's ordinary course
    }
    unwindingGuard = static_cast<GuardRecord*>(establisher);
    RtlUnwind(establisher, nullptr, record, nullptr);  // runs and removes the records above ours
    __builtin_longjmp(unwindingGuard->resumePoint, 1);
}

}  // namespace

int RunInFaultGuard(const std::function<int()>& mode) {
    GuardRecord guard = {};
    guard.previous = ChainHead();
    guard.handler = GuardHandler;
    if (__builtin_setjmp(guard.resumePoint)) {
        // Back from a fault whose handler was to run.
        SetChainHead(guard.previous);
        SetSaverRunning(0);
        return kFaultExitCode;
    }
    SetChainHead(reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(&guard));
    int result = mode();
    SetChainHead(guard.previous);
    return result;
}

#else

// The x86-64 build exists only to run the tests on machines that cannot
// run 32-bit code, and x86-64 has no registration chain: the mode runs
// unguarded there, and the guard's own tests are the 32-bit build's.
int RunInFaultGuard(const std::function<int()>& mode) { return mode(); }

#endif
