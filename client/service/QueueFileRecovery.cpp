#include "client/service/QueueFileRecovery.h"

#include <unistd.h>

#include "client/service/RecordJournal.h"

TQueueFileLoad LoadQueueFileLogged(const std::string& path, const std::string& rootName,
                                   const TQueueFileTexts& texts) {
    TQueueFileLoad load = LoadQueueFile(path, rootName);
    switch (load.status) {
        case TQueueFileLoad::Status::Missing:
            LogWorkerMsg(texts.missing);
            break;
        case TQueueFileLoad::Status::Unreadable: {
            LogWorkerError(texts.unreadable + load.error + texts.unreadableEnd);
            std::string error;
            const std::string aside = SetFileAside(path, error);
            LogWorkerError(texts.unreadableSetAside + (aside.empty() ? error : aside));
            break;
        }
        case TQueueFileLoad::Status::WrongRoot: {
            std::string error;
            const std::string aside = SetFileAside(path, error);
            LogWorkerError(texts.wrongRoot + load.rootName +
                           ",已改名为:" + (aside.empty() ? error : aside));
            break;
        }
        case TQueueFileLoad::Status::Loaded:
            if (!texts.loadedCount.empty())
                LogWorkerMsg(texts.loadedCount + std::to_string(load.fields.size()));
            break;
    }
    return load;
}

void KeepSkippedCopy(const std::string& path, const TQueueFileTexts& texts) {
    const std::string copy = path + ".skipped";
    ::unlink(copy.c_str());
    if (::link(path.c_str(), copy.c_str()) == 0)
        LogWorkerError(texts.skippedCopy + copy);
}
