// The awareness request's fallbacks, through doubles of the system's
// requests: the finest one the system grants, nothing once the manifest has
// decided, and nothing on systems that know none.
#include <gtest/gtest.h>

#include <string>

#include "win32/dpi_awareness.h"

namespace {

std::string calls;
// What the doubles grant: the context values accepted, and the error of a
// refusal.
INT_PTR acceptedContext;
DWORD contextRefusal;
bool processGrants, systemGrants;

BOOL WINAPI SetContext(HANDLE context) {
    const INT_PTR value = reinterpret_cast<INT_PTR>(context);
    calls += "context" + std::to_string(value) + " ";
    if (value == acceptedContext) return TRUE;
    SetLastError(value < acceptedContext ? ERROR_INVALID_PARAMETER : contextRefusal);
    return FALSE;
}
HRESULT WINAPI SetProcess(int value) {
    calls += "process" + std::to_string(value) + " ";
    return processGrants ? S_OK : E_ACCESSDENIED;
}
BOOL WINAPI SetSystem() {
    calls += "system ";
    return systemGrants;
}

TEST(DpiAwareness, RequestsTheFinestTheSystemGrants) {
    const DpiAwarenessFunctions all = {SetContext, SetProcess, SetSystem};
    const DpiAwarenessFunctions olderThan1703 = {nullptr, SetProcess, SetSystem};
    const DpiAwarenessFunctions vista = {nullptr, nullptr, SetSystem};
    const INT_PTR kV2 = -4, kV1 = -3, kNone = -100;
    const struct {
        const char* what;
        DpiAwarenessFunctions functions;
        INT_PTR accepted;
        DWORD refusal;
        bool process, system;
        DpiAwareness expected;
        const char* calls;
    } cases[] = {
        {"Windows 10 1703 on", all, kV2, 0, true, true, DpiAwareness::PerMonitorV2, "context-4 "},
        {"a system without the second version", all, kV1, 0, true, true, DpiAwareness::PerMonitor,
         "context-4 context-3 "},
        {"the manifest has decided", all, kNone, ERROR_ACCESS_DENIED, true, true, DpiAwareness::Unaware,
         "context-4 context-3 "},
        {"contexts refused otherwise", all, kNone, ERROR_INVALID_PARAMETER, true, true, DpiAwareness::PerMonitor,
         "context-4 context-3 process2 "},
        {"Windows 8.1", olderThan1703, kNone, 0, true, true, DpiAwareness::PerMonitor, "process2 "},
        {"Windows 8.1, refused", olderThan1703, kNone, 0, false, true, DpiAwareness::System, "process2 system "},
        {"Vista to 8", vista, kNone, 0, false, true, DpiAwareness::System, "system "},
        {"Vista, refused", vista, kNone, 0, false, false, DpiAwareness::Unaware, "system "},
        {"95, NT 4.0 to XP", {}, kNone, 0, false, false, DpiAwareness::Unaware, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        acceptedContext = c.accepted, contextRefusal = c.refusal;
        processGrants = c.process, systemGrants = c.system;
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(RequestDpiAwareness(c.functions)));
        EXPECT_EQ(c.calls, calls);
    }
}

}  // namespace
