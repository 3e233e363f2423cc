// A guard with the platform's defaults, inside a handler record of this
// program's own: exit code 42 means the fault went past the guard to it,
// kFaultExitCode that the guard's handler ran.
#include <windows.h>

#include <cstdio>

#include "host/fault_guard.h"
#include "host/host_state.h"

namespace {

constexpr int kReachedOuterHandler = 42;

EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

EXCEPTION_DISPOSITION NTAPI OuterHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    std::printf("the fault reached the outer handler\n");
    std::fflush(stdout);
    ExitProcess(kReachedOuterHandler);
}

}  // namespace

int main() {
    host.isWin9x = 1;
    EXCEPTION_REGISTRATION_RECORD outer = {ChainHead(), OuterHandler};
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&outer) : "memory");
    int result = RunInFaultGuard([] {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
        return 7;
    });
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(outer.Next) : "memory");
    std::printf("the guard returned %d\n", result);
    return result;
}
