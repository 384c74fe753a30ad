// The values that the user-interface thread shares with the worker threads.
#pragma once

#include <string>

#include "platform/MessageTarget.h"

// The message window: the target of the agent's workers. 0 until the first
// sign-in attempt records it.
platform::TargetHandle MessageWindow();
void SetMessageWindow(platform::TargetHandle target);

// The closing flag: set when the user leaves the program, never reset
// (ResetClosingForTests exists for tests only).
bool IsClosing();
void SetClosing();
void ResetClosingForTests();

// The sign-in GUID of the latest sign-in answer, sent with later requests.
std::string SignInGuid();
void SetSignInGuid(const std::string& guid);

// One-shot workers still running; they count themselves in and out.
int RunningOneShotWorkers();
// Waits until no one-shot worker runs or the time (ms) is up; returns whether none runs.
bool WaitForOneShotWorkers(int timeoutMs);

namespace service_detail {
// Held by a one-shot worker's thread for its whole life.
class OneShotWorkerCount {
  public:
    OneShotWorkerCount();
    ~OneShotWorkerCount();
    OneShotWorkerCount(const OneShotWorkerCount&) = delete;
    OneShotWorkerCount& operator=(const OneShotWorkerCount&) = delete;
};
}  // namespace service_detail
