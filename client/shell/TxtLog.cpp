#include "client/shell/TxtLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "client/shell/Configuration.h"
#include "platform/FileIo.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"

TTxtLog::TTxtLog(const platform::Clock* clock)
    : clock_(clock ? *clock : platform::ProcessClock()), fileTime_(clock_.now()) {}

std::string TTxtLog::folderPath() const {
    return DataFolder() + LogDir;
}

std::string TTxtLog::fileNameLocked() const {
    return platform::JoinPath(folderPath(),
                              LogName + platform::FormatDateTime("yymmddhhnnss", fileTime_) + "_" +
                                  std::to_string(sequence_) + ".txt");
}

std::string TTxtLog::currentFileName() const {
    std::lock_guard lock(mutex_);
    return fileNameLocked();
}

int TTxtLog::sequenceNumber() const {
    std::lock_guard lock(mutex_);
    return sequence_;
}

void TTxtLog::WriteLog(const std::string& text) {
    std::string failure;
    {
        std::lock_guard lock(mutex_);
        const std::string folder = folderPath();
        if (!platform::FolderExists(folder) && !platform::CreateFolder(folder))
            return;

        const platform::DateTime now = clock_.now();
        if (!fileTime_.sameDate(now)) {
            fileTime_ = now;
            sequence_ = 0;
        }
        const std::string path = fileNameLocked();
        const std::string line =
            platform::FormatDateTime("[mm-dd hh:nn:ss:zzz]", now) + " " + text + "\r\n";

        const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            failure = std::strerror(errno);
        } else {
            struct stat st {};
            if (!platform::WriteAll(fd, line)) {
                failure = std::strerror(errno);
            } else if (fstat(fd, &st) != 0) {
                failure = std::strerror(errno);
            } else if (st.st_size / kBlockSize >= kMaxBlocks) {
                ++sequence_;
            }
            if (close(fd) != 0 && failure.empty())
                failure = std::strerror(errno);
        }
    }
    // Shown outside the lock: the box runs a nested event loop that may log.
    if (!failure.empty())
        platform::ShowMessageBox(text + ":" + failure);
}

namespace {
std::atomic<TTxtLog*> g_log{nullptr};

void WriteLevel(const char* prefix, const std::string& text) noexcept {
    try {
        if (TTxtLog* log = g_log.load(std::memory_order_acquire))
            log->WriteLog(prefix + text);
    } catch (...) {
    }
}
}  // namespace

TTxtLog* ProcessLog() {
    return g_log.load(std::memory_order_acquire);
}
void SetProcessLog(TTxtLog* log) {
    g_log.store(log, std::memory_order_release);
}

void LogMsg(const std::string& text) {
    try {
        if (!ProcessLog() || !IsLogEnabled())
            return;
    } catch (...) {
        return;
    }
    WriteLevel("<MSG> ", text);
}
void LogRun(const std::string& text) {
    WriteLevel("<RUN> ", text);
}
void LogWarn(const std::string& text) {
    WriteLevel("<WARN> ", text);
}
void LogError(const std::string& text) {
    WriteLevel("<ERROR> ", text);
}
