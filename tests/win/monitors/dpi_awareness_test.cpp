// The awareness request's fallbacks, through doubles of the system's
// requests that grant what each row's system grants.
#include <gtest/gtest.h>

#include <string>

#include "win32/dpi_awareness.h"

namespace {

std::string calls;
INT_PTR granted;  // the one context value granted; finer ones are unknown
DWORD refusal;    // the error of refusing a known one
bool processGrants, systemGrants;

BOOL WINAPI SetContext(HANDLE context) {
    const INT_PTR value = reinterpret_cast<INT_PTR>(context);
    calls += "context" + std::to_string(value) + " ";
    SetLastError(value < granted ? ERROR_INVALID_PARAMETER : refusal);
    return value == granted;
}
HRESULT WINAPI SetProcess(int value) {
    return calls += "process" + std::to_string(value) + " ", processGrants ? S_OK : E_FAIL;
}
BOOL WINAPI SetSystem() { return calls += "system ", systemGrants; }

TEST(DpiAwareness, RequestsTheFinestTheSystemGrants) {
    const DpiAwarenessFunctions all = {SetContext, SetProcess, SetSystem}, win81 = {nullptr, SetProcess, SetSystem};
    using A = DpiAwareness;
    const struct {
        const char* what;
        DpiAwarenessFunctions functions;
        INT_PTR granted;  // the context value granted,
        DWORD refusal;    // the error of refusing another,
        bool process;     // whether the process-wide request is granted
        A expected;
        const char* calls;
    } cases[] = {
        {"Windows 10 1703 on", all, -4, 0, true, A::PerMonitorV2, "context-4 "},
        {"no second version (Wine 8)", all, -3, 0, true, A::PerMonitor, "context-4 context-3 "},
        {"the manifest has decided", all, -100, ERROR_ACCESS_DENIED, true, A::Unaware, "context-4 context-3 "},
        {"contexts refused otherwise", all, -100, ERROR_INVALID_PARAMETER, true, A::PerMonitor,
         "context-4 context-3 process2 "},
        {"Windows 8.1, refused", win81, 0, 0, false, A::System, "process2 system "},
        {"95, NT 4.0 to XP", {}, 0, 0, false, A::Unaware, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        granted = c.granted, refusal = c.refusal, processGrants = c.process, systemGrants = true;
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(RequestDpiAwareness(c.functions)));
        EXPECT_EQ(c.calls, calls);
    }
}

}  // namespace
