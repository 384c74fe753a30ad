// Reading the queue an earlier run left, from its journal or else from the
// queue file: every fault goes to the worker log, a file that cannot be used is
// set aside so it is not read again, and a queue file with unusable entries is
// kept as "<file>.skipped".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "client/service/QueueFileXml.h"
#include "client/service/RecordJournal.h"
#include "client/service/WorkerLog.h"
#include "platform/Paths.h"

// The log lines of one queue; each is followed by the detail named.
struct TQueueFileTexts {
    std::string missing;             // (nothing)
    std::string unreadable;          // the parse error, then unreadableEnd
    std::string unreadableEnd;       //
    std::string unreadableSetAside;  // the new name, or why renaming failed
    std::string wrongRoot;           // the root found, ",已改名为:" and the new name
    std::string loadedCount;         // the number of entries; empty: no line
    std::string skippedCopy;         // the name of the kept copy
    std::string journalUnreadable;   // why, " 已改名为:" and the new name
    std::string journalDamaged;      // the number of lines, " 行不完整,已跳过"
    std::string journalRecovered;    // the number of entries
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

template <class Record>
struct TRecoveredQueue {
    std::vector<std::pair<std::uint64_t, Record>> entries;
    bool fromJournal = false;  // entries are what the journal still held
    std::uint64_t usedIds = 0;
};

// The journal's pending entries when there is a readable journal, otherwise
// RecoverQueueFile. An unreadable journal is set aside.
template <class Record, class FromFields, class FailureLine>
TRecoveredQueue<Record> RecoverQueue(const std::string& journalPath, const std::string& queueFile,
                                     const std::string& rootName, const TQueueFileTexts& texts,
                                     FromFields fromFields, FailureLine failureLine) {
    TRecoveredQueue<Record> recovered;
    if (platform::FileExists(journalPath)) {
        TJournalReplay replay = TRecordJournal::Replay(journalPath);
        if (!replay.opened) {
            std::string error;
            const std::string aside = SetFileAside(journalPath, error);
            LogWorkerError(texts.journalUnreadable + replay.error +
                           " 已改名为:" + (aside.empty() ? error : aside));
        } else {
            recovered.fromJournal = true;
            recovered.usedIds = replay.maxId;
            if (replay.damagedLines > 0) {
                LogWorkerError(texts.journalDamaged + std::to_string(replay.damagedLines) +
                               " 行不完整,已跳过");
            }
            for (auto& pending : replay.pending) {
                TFieldValues values;
                Record record;
                std::string error;
                if (FieldFromXmlText(pending.payload, values, error) &&
                    fromFields(values, record, error)) {
                    recovered.entries.emplace_back(pending.id, std::move(record));
                } else {
                    LogWorkerError(failureLine(record, error));
                }
            }
            LogWorkerMsg(texts.journalRecovered + std::to_string(recovered.entries.size()));
        }
    }
    if (!recovered.fromJournal)
        recovered.entries =
            RecoverQueueFile<Record>(queueFile, rootName, texts, fromFields, failureLine);
    return recovered;
}
