// The requests the service received, as sent, so that tests can check what a client sent.
// Keeps the latest kCapacity entries. Thread-safe.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tools/demo-service/src/JsonText.h"

namespace demo {

struct JournalEntry {
    long long seq = 0;  // 1, 2, 3... in order of arrival
    std::string time;   // local time, "yyyy-MM-dd HH:mm:ss.zzz"
    std::string remote;
    std::string method;
    std::string target;  // the raw request target: path and query as sent
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t bodySize = 0;
    std::string bodyMd5;  // Md5Hex of the body
    int status = 0;       // the status answered; 0 while not known or when dropped
};

class RequestJournal {
  public:
    static constexpr std::size_t kCapacity = 10000;

    // Stores the entry with the next sequence number and returns that number.
    long long record(JournalEntry entry);
    void setStatus(long long seq, int status);
    // Entries with a sequence number above seq, oldest first.
    std::vector<JournalEntry> since(long long seq) const;
    long long lastSeq() const;
    void clear();

    static Json ToJson(const JournalEntry& e);

  private:
    mutable std::mutex mutex_;
    std::deque<JournalEntry> entries_;
    long long lastSeq_ = 0;
};

}  // namespace demo
