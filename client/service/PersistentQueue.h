// The queue of an upload worker: records in submission order, held in memory
// and mirrored in a journal beside the queue file, so that a crash loses
// nothing that was submitted. The user-interface thread appends; the worker
// reads and removes the first record.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "client/service/RecordJournal.h"
#include "platform/Paths.h"

template <class Record>
class TPersistentQueue {
  public:
    using Encoder = std::function<std::string(const Record&)>;
    using Entry = std::pair<std::uint64_t, Record>;

    // `queueFile` is the XML queue file, deleted once the journal holds its records.
    TPersistentQueue(std::string journalPath, std::string queueFile, Encoder encode,
                     bool syncEachSubmit = false)
        : journal_(std::move(journalPath), syncEachSubmit),
          queueFile_(std::move(queueFile)),
          encode_(std::move(encode)) {}

    // Starts with `entries`, in order. Rewrites the journal to hold exactly
    // them; when that fails and the journal itself was their source, goes on
    // appending to it. Returns whether the queue is on disk.
    // `usedIds`: the highest id the old journal holds, never handed out again.
    bool Start(std::vector<Entry> entries, bool journalIsSource, std::uint64_t usedIds,
               std::string& error) {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        nextId_ = usedIds + 1;
        {
            std::lock_guard<std::mutex> listLock(listMutex_);
            list_.assign(std::make_move_iterator(entries.begin()),
                         std::make_move_iterator(entries.end()));
            for (const auto& entry : list_)
                nextId_ = std::max(nextId_, entry.first + 1);
        }
        if (RewriteLocked(error))
            return true;
        std::string ignored;
        journalOk_ = journalIsSource && journal_.OpenForAppend(ignored);
        return journalOk_;
    }

    // Appends a record. False when it could not be written to disk: it is
    // then queued in memory only, and RetryPersist will write it later.
    bool Submit(Record record, std::string& error) {
        const std::string payload = encode_(record);
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        const std::uint64_t id = nextId_++;
        bool persisted = journalOk_ && journal_.AppendAdded(id, payload, error);
        if (!journalOk_ && error.empty())
            error = "队列文件不可写";
        if (!persisted)
            journalOk_ = false;
        std::lock_guard<std::mutex> listLock(listMutex_);
        list_.emplace_back(id, std::move(record));
        return persisted;
    }

    // Copies the first record; false when the queue is empty.
    bool Front(Record& out) const {
        std::lock_guard<std::mutex> listLock(listMutex_);
        if (list_.empty())
            return false;
        out = list_.front().second;
        return true;
    }

    // Removes the first record and records its delivery.
    void PopFront() {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        std::uint64_t id = 0;
        bool empty = false;
        {
            std::lock_guard<std::mutex> listLock(listMutex_);
            if (list_.empty())
                return;
            id = list_.front().first;
            list_.pop_front();
            empty = list_.empty();
        }
        if (!journalOk_)
            return;
        std::string error;
        if (empty && journal_.Size() > kCompactBytes) {
            journalOk_ = journal_.Truncate(error);
        } else {
            journalOk_ = journal_.AppendDelivered(id, error);
        }
    }

    std::vector<Record> Snapshot() const {
        std::lock_guard<std::mutex> listLock(listMutex_);
        std::vector<Record> records;
        records.reserve(list_.size());
        for (const auto& entry : list_)
            records.push_back(entry.second);
        return records;
    }

    std::size_t Size() const {
        std::lock_guard<std::mutex> listLock(listMutex_);
        return list_.size();
    }

    bool JournalOk() {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        if (journalOk_ && !journal_.Healthy())
            journalOk_ = false;
        return journalOk_;
    }

    // After a failed write: writes the whole queue to the journal again.
    bool RetryPersist(std::string& error) {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        return journalOk_ || RewriteLocked(error);
    }

    // At an orderly end, once the queue file holds the queue (or the queue is
    // empty and the file removed): the journal is no longer needed.
    void RemoveJournal() {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        journal_.Close(true);
        journalOk_ = false;
    }
    // At an end whose queue file could not be written: keep the journal.
    void CloseJournal() {
        std::lock_guard<std::mutex> fileLock(fileMutex_);
        journal_.Close(false);
        journalOk_ = false;
    }

    const std::string& JournalPath() const { return journal_.path(); }

    static constexpr long long kCompactBytes = 256 * 1024;

  private:
    bool RewriteLocked(std::string& error) {
        std::vector<TJournalEntry> lines;
        {
            std::lock_guard<std::mutex> listLock(listMutex_);
            lines.reserve(list_.size());
            for (const auto& entry : list_)
                lines.push_back({entry.first, encode_(entry.second)});
        }
        journalOk_ = journal_.Rewrite(lines, error);
        // The journal now holds everything the queue file held.
        if (journalOk_ && platform::FileExists(queueFile_) && ::unlink(queueFile_.c_str()) == 0) {
            SyncParentFolder(queueFile_);
        }
        return journalOk_;
    }

    TRecordJournal journal_;
    std::string queueFile_;
    Encoder encode_;
    mutable std::mutex fileMutex_;  // taken before listMutex_
    mutable std::mutex listMutex_;
    std::deque<Entry> list_;
    std::uint64_t nextId_ = 1;
    bool journalOk_ = false;
};
