// The call-log upload worker (M=1002): sends the queued call records one at a
// time, in order, and repeats the first until the service has taken it. The
// queue is kept on disk while the program runs (a journal beside
// TACallLogs.xml) and written to TACallLogs.xml at an orderly end.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "client/agent/TTalkInfo.h"
#include "client/agent/UploadSinks.h"
#include "client/service/PersistentQueue.h"
#include "client/service/StoppableThread.h"
#include "client/service/UploadWorkerOptions.h"

inline constexpr const char* kCallLogQueueFile = "TACallLogs.xml";
inline constexpr const char* kCallLogJournalFile = "TACallLogs.journal";
inline constexpr const char* kCallLogRoot = "CallLogs";

class TTrdUploadTalkLog : public ICallLogSink {
  public:
    // Loads what earlier runs left queued, then starts the thread.
    explicit TTrdUploadTalkLog(TUploadWorkerOptions options);
    // Stops the thread (a request in progress ends first) and saves the queue.
    ~TTrdUploadTalkLog() override;

    // On disk before it returns; kept in memory (and written later) when the
    // disk refuses it.
    void SubmitTalkLog(const TTalkInfo& info) override;

    std::size_t QueueLength() const { return queue_.Size(); }

    // The request address of one record.
    static std::string BuildUrl(const std::string& host, int port, const TTalkInfo& info,
                                const std::string& signInGuid);

  private:
    void LoadQueue();
    void Run();
    // After a disk failure: writes the queue out again now and then.
    void KeepJournal();
    bool Send(const TTalkInfo& info);
    void SaveQueue();

    const TUploadWorkerOptions options_;
    const std::string queueFile_;
    TPersistentQueue<TTalkInfo> queue_;
    std::chrono::steady_clock::time_point lastPersistTry_{};
    TStoppableThread thread_;
};
