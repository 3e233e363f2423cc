#include "fault_guard.h"

// TODO(password issue): the real guard.
int RunInFaultGuard(const std::function<int()>& mode) { return mode(); }
