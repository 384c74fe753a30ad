#include "client/service/TTrdInternetCheckConnection.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "client/service/ConnectionProbe.h"
#include "client/service/WindowMessages.h"

struct TTrdInternetCheckConnection::State {
    platform::TargetHandle target = 0;
    std::string probeAddress;
    TConnectivityOptions options;

    std::mutex mutex;  // guards stop and ended
    std::condition_variable changed;
    bool stop = false;
    bool ended = false;
};

namespace {

void RunMonitor(const std::shared_ptr<TTrdInternetCheckConnection::State>& state) {
    int lastState = -1;
    bool terminated = false;
    while (!terminated) {
        const int reachable =
            CanReachAddress(state->probeAddress, state->options.checkTimeoutMs) ? 1 : 0;
        if (reachable != lastState) {
            lastState = reachable;
            platform::PostMessageTo(state->target, WM_TRD_NETSTATE, reachable);
        }
        std::unique_lock<std::mutex> lock(state->mutex);
        for (int i = 0; i < state->options.waitSlices && !terminated; ++i) {
            terminated =
                state->changed.wait_for(lock, std::chrono::milliseconds(state->options.sliceMs),
                                        [&] { return state->stop; });
        }
        terminated = terminated || state->stop;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->ended = true;
    state->changed.notify_all();
}

}  // namespace

TTrdInternetCheckConnection::TTrdInternetCheckConnection(platform::TargetHandle target,
                                                         std::string probeAddress,
                                                         TConnectivityOptions options)
    : state_(std::make_shared<State>()) {
    state_->target = target;
    state_->probeAddress = std::move(probeAddress);
    state_->options = options;
    std::thread([state = state_] { RunMonitor(state); }).detach();
}

TTrdInternetCheckConnection::~TTrdInternetCheckConnection() {
    Stop();
}

void TTrdInternetCheckConnection::Stop() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stop = true;
    state_->changed.notify_all();
}

bool TTrdInternetCheckConnection::WaitUntilEnded(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return state_->ended; });
}
