// The connectivity monitor: checks the probe address every few seconds and
// posts WM_TRD_NETSTATE (wParam 1 reachable, 0 not) to its target whenever
// the answer changes, the first answer included.
#pragma once

#include <memory>
#include <string>

#include "platform/MessageTarget.h"

struct TConnectivityOptions {
    int checkTimeoutMs = 5000;  // a check that gets no connection by then counts as unreachable
    int waitSlices = 31;        // between checks: this many waits...
    int sliceMs = 100;          // ...of this length, each ending early on Stop
};

class TTrdInternetCheckConnection {
  public:
    // Starts the thread. The thread owns its state, so the monitor object may
    // be destroyed while a check is still running.
    TTrdInternetCheckConnection(platform::TargetHandle target, std::string probeAddress,
                                TConnectivityOptions options = {});
    // Stops the monitor without waiting for it.
    ~TTrdInternetCheckConnection();

    // Asks the thread to end; returns at once.
    void Stop();
    // Waits until the thread has ended or the time is up; for tests and shut-down.
    bool WaitUntilEnded(int timeoutMs) const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};
