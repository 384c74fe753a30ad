// Reading the queue file an earlier run left: every fault goes to the worker
// log, a file that cannot be used is set aside so it is not read again, and a
// file with unusable entries is kept as "<file>.skipped".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "client/service/QueueFileXml.h"
#include "client/service/WorkerLog.h"

// The log lines of one queue; each is followed by the detail named.
struct TQueueFileTexts {
    std::string missing;             // (nothing)
    std::string unreadable;          // the parse error, then unreadableEnd
    std::string unreadableEnd;       //
    std::string unreadableSetAside;  // the new name, or why renaming failed
    std::string wrongRoot;           // the root found, ",已改名为:" and the new name
    std::string loadedCount;         // the number of entries; empty: no line
    std::string skippedCopy;         // the name of the kept copy
};

// Loads `path`, logs the outcome and sets an unreadable or wrongly rooted file aside.
TQueueFileLoad LoadQueueFileLogged(const std::string& path, const std::string& rootName,
                                   const TQueueFileTexts& texts);

// Keeps "<path>.skipped" beside a loaded file some of whose entries were dropped,
// so they can still be looked at.
void KeepSkippedCopy(const std::string& path, const TQueueFileTexts& texts);

// The usable entries of the queue file, numbered from 1. fromFields(values,
// record, error) converts one entry; failureLine(record, error) is logged for
// each one it refuses.
template <class Record, class FromFields, class FailureLine>
std::vector<std::pair<std::uint64_t, Record>> RecoverQueueFile(const std::string& path,
                                                               const std::string& rootName,
                                                               const TQueueFileTexts& texts,
                                                               FromFields fromFields,
                                                               FailureLine failureLine) {
    const TQueueFileLoad load = LoadQueueFileLogged(path, rootName, texts);
    std::vector<std::pair<std::uint64_t, Record>> entries;
    bool skipped = false;
    std::uint64_t id = 0;
    for (const TFieldValues& values : load.fields) {
        Record record;
        std::string error;
        if (fromFields(values, record, error)) {
            entries.emplace_back(++id, std::move(record));
        } else {
            LogWorkerError(failureLine(record, error));
            skipped = true;
        }
    }
    if (skipped && load.status == TQueueFileLoad::Status::Loaded)
        KeepSkippedCopy(path, texts);
    return entries;
}
