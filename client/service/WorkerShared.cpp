#include "client/service/WorkerShared.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
std::atomic<platform::TargetHandle> g_messageWindow{0};
std::atomic<bool> g_closing{false};

std::mutex g_guidMutex;
std::string g_signInGuid;

std::mutex g_countMutex;
std::condition_variable g_countChanged;
int g_oneShotWorkers = 0;
}  // namespace

platform::TargetHandle MessageWindow() {
    return g_messageWindow.load();
}
void SetMessageWindow(platform::TargetHandle target) {
    g_messageWindow.store(target);
}

bool IsClosing() {
    return g_closing.load();
}
void SetClosing() {
    g_closing.store(true);
}
void ResetClosingForTests() {
    g_closing.store(false);
}

std::string SignInGuid() {
    std::lock_guard<std::mutex> lock(g_guidMutex);
    return g_signInGuid;
}

void SetSignInGuid(const std::string& guid) {
    std::lock_guard<std::mutex> lock(g_guidMutex);
    g_signInGuid = guid;
}

int RunningOneShotWorkers() {
    std::lock_guard<std::mutex> lock(g_countMutex);
    return g_oneShotWorkers;
}

bool WaitForOneShotWorkers(int timeoutMs) {
    std::unique_lock<std::mutex> lock(g_countMutex);
    return g_countChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [] { return g_oneShotWorkers == 0; });
}

namespace service_detail {
OneShotWorkerCount::OneShotWorkerCount() {
    std::lock_guard<std::mutex> lock(g_countMutex);
    ++g_oneShotWorkers;
}

OneShotWorkerCount::~OneShotWorkerCount() {
    std::lock_guard<std::mutex> lock(g_countMutex);
    --g_oneShotWorkers;
    g_countChanged.notify_all();
}
}  // namespace service_detail
