#include "client/service/WorkerLog.h"

#include <mutex>

#include "client/service/WindowMessages.h"
#include "client/service/WorkerShared.h"
#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"

namespace {
std::mutex g_directWriteMutex;
bool g_logDetached = false;
}  // namespace

void LogWorkerMsg(const std::string& text) {
    if (IsLogEnabled())
        PostLogLine("<MSG> " + text);
}

void LogWorkerWarn(const std::string& text) {
    PostLogLine("<WARN> " + text);
}

void LogWorkerError(const std::string& text) {
    PostLogLine("<ERROR> " + text);
}

void PostLogLine(const std::string& line) {
    try {
        if (IsClosing()) {
            std::lock_guard<std::mutex> lock(g_directWriteMutex);
            if (!g_logDetached) {
                if (TTxtLog* log = ProcessLog())
                    log->WriteLog(line);
            }
            return;
        }
        if (line.empty())
            return;
        // A target that is gone frees the block itself.
        platform::PostTextMessage(MessageWindow(), WM_TRD_LOG, 0, line);
    } catch (...) {
        // The line is lost; the worker goes on.
    }
}

void DetachWorkerLog() {
    std::lock_guard<std::mutex> lock(g_directWriteMutex);
    g_logDetached = true;
}

void AttachWorkerLogForTests() {
    std::lock_guard<std::mutex> lock(g_directWriteMutex);
    g_logDetached = false;
}
