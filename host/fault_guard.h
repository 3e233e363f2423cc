// The fault guard around the chosen mode: a processor fault on the first
// thread is handed to UnhandledExceptionFilter; when that answers that the
// handler is to run, the saver-running state is cleared and the mode's
// result is kFaultExitCode.
#pragma once

#include <functional>

constexpr int kFaultExitCode = -1;

int RunInFaultGuard(const std::function<int()>& mode);
