// The text log: one process-wide object writing daily series of ~1 MiB files.
#pragma once

#include <mutex>
#include <string>

#include "platform/Clock.h"

class TTxtLog {
  public:
    // Uses the process clock unless given another.
    explicit TTxtLog(const platform::Clock* clock = nullptr);

    std::string LogDir;   // subfolder of the data folder ("Log")
    std::string LogName;  // file name prefix ("RodiZerad")

    // Appends "[mm-dd hh:nn:ss:zzz] text\r\n" to the current file. Safe to call
    // from any thread: writes are serialised.
    void WriteLog(const std::string& text);

    // The folder and the file the next line goes to (for tests and the about box).
    std::string folderPath() const;
    std::string currentFileName() const;
    int sequenceNumber() const;

    static constexpr long long kBlockSize = 128;
    static constexpr long long kMaxBlocks = 8192;  // 1 MiB

  private:
    std::string fileNameLocked() const;

    const platform::Clock& clock_;
    mutable std::mutex mutex_;
    platform::DateTime fileTime_;
    int sequence_ = 0;
};

// The process-wide log object; null until start-up creates it and after the
// closing sequence frees it.
TTxtLog* ProcessLog();
void SetProcessLog(TTxtLog* log);

// Level functions; each does nothing while there is no log object and never throws.
void LogMsg(const std::string& text);  // only when EnableLog is on
void LogRun(const std::string& text);
void LogWarn(const std::string& text);
void LogError(const std::string& text);
