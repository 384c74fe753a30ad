// An append-only journal of queued records beside a queue file. Every
// submitted record is appended before the submit returns, so it survives a
// crash or kill of the process; a flusher thread then syncs it to the device
// within milliseconds (or the append syncs itself, when asked to). Every
// delivered record gets a synced mark appended. Replaying the journal gives
// the records still pending, in submission order.
//
// Line format: "<kind> <id> <checksum> <payload>\n", kind "A" (added, payload
// is the record) or "D" (delivered, empty payload); the checksum is FNV-1a
// over "<kind> <id> <payload>" in 8 hex digits. A torn or damaged line is
// skipped on replay.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TJournalEntry {
    std::uint64_t id = 0;
    std::string payload;
};

struct TJournalReplay {
    bool opened = false;  // false: the file could not be read (error says why)
    std::string error;
    std::vector<TJournalEntry> pending;  // in submission order
    std::uint64_t maxId = 0;
    int damagedLines = 0;
};

class TRecordJournal {
  public:
    // syncEachAppend: every added record is synced before AppendAdded returns
    // (a device flush per submit); otherwise the flusher thread syncs it.
    explicit TRecordJournal(std::string path, bool syncEachAppend = false);
    ~TRecordJournal();
    TRecordJournal(const TRecordJournal&) = delete;
    TRecordJournal& operator=(const TRecordJournal&) = delete;

    const std::string& path() const { return path_; }

    // Reads the journal at `path`.
    static TJournalReplay Replay(const std::string& path);

    // Replaces the journal atomically with `entries` as its only content and
    // opens it for appending. False (old file untouched) when it cannot be written.
    bool Rewrite(const std::vector<TJournalEntry>& entries, std::string& error);
    // Opens the existing journal for appending.
    bool OpenForAppend(std::string& error);
    bool IsOpen() const;

    // Appends and syncs one line; on failure the file is cut back to its
    // previous length so a later line is not damaged.
    bool AppendAdded(std::uint64_t id, const std::string& payload, std::string& error);
    bool AppendDelivered(std::uint64_t id, std::string& error);
    // False once a background sync has failed: what was appended since may
    // not be on the device; the owner rewrites the journal.
    bool Healthy() const;
    // Empties the journal (when nothing is pending).
    bool Truncate(std::string& error);
    long long Size() const;

    // Closes the journal and, if asked, deletes the file.
    void Close(bool removeFile);

    // For tests: the line for one entry.
    static std::string FormatLine(char kind, std::uint64_t id, const std::string& payload);

  private:
    bool AppendLine(const std::string& line, bool sync, std::string& error);
    void FlushLoop();
    void StopFlusher();

    std::string path_;
    const bool syncEachAppend_;
    mutable std::mutex mutex_;
    int fd_ = -1;
    long long size_ = 0;

    std::condition_variable flushWanted_;
    bool dirty_ = false;
    bool stopFlusher_ = false;
    bool syncFailed_ = false;
    std::thread flusher_;
};

// Writes `content` to `path` atomically: a temporary file beside it, synced,
// then renamed over it, and the folder synced. False (old file kept) on failure.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error);
// Syncs the folder that holds `path`, so a rename or unlink in it is durable.
void SyncParentFolder(const std::string& path);
// Renames an unreadable file aside to "<path>.<yyyyMMddHHmmss>.bad"; returns the new name.
std::string SetFileAside(const std::string& path, std::string& error);
