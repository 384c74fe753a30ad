// The recording upload worker: posts the queued recordings one at a time, in
// order, repeats the first until it has gone through, and then deletes the
// local file unless DelLocVocFile is 0. The queue is kept on disk while the
// program runs (a journal beside TAVocRecords.xml) and written to
// TAVocRecords.xml at an orderly end.
#pragma once

#include <chrono>
#include <string>

#include "client/agent/TVocFileInfo.h"
#include "client/agent/UploadSinks.h"
#include "client/service/PersistentQueue.h"
#include "client/service/StoppableThread.h"
#include "client/service/UploadWorkerOptions.h"

inline constexpr const char* kVocQueueFile = "TAVocRecords.xml";
inline constexpr const char* kVocJournalFile = "TAVocRecords.journal";
inline constexpr const char* kVocRoot = "VocRecords";

class TTrdUploadVocFile : public IVocFileSink {
  public:
    // Loads what earlier runs left queued, then starts the thread.
    explicit TTrdUploadVocFile(TUploadWorkerOptions options);
    // Stops the thread (an upload in progress ends first) and saves the queue.
    ~TTrdUploadVocFile() override;

    void SubmitVocFile(const TVocFileInfo& info) override;

    std::size_t QueueLength() const { return queue_.Size(); }

  private:
    void LoadQueue();
    void Run();
    // After a disk failure: writes the queue out again now and then.
    void KeepJournal();
    bool Upload(const TVocFileInfo& info);
    void RemoveFirst(const TVocFileInfo& info);
    void SaveQueue();

    const TUploadWorkerOptions options_;
    const std::string queueFile_;
    TPersistentQueue<TVocFileInfo> queue_;
    std::chrono::steady_clock::time_point lastPersistTry_{};
    TStoppableThread thread_;
};
