#include "client/service/TTrdUploadVocFile.h"

#include <unistd.h>

#include <chrono>
#include <exception>

#include "client/service/ApiQuery.h"
#include "client/service/JournalRetry.h"
#include "client/service/QueueFileRecovery.h"
#include "client/service/QueueFileXml.h"
#include "client/service/RecordFields.h"
#include "client/service/RecordingUpload.h"
#include "client/service/WorkerLog.h"
#include "client/shell/Configuration.h"
#include "platform/Paths.h"

namespace {

std::string FolderOf(const TUploadWorkerOptions& options) {
    return options.dataFolder.empty() ? DataFolder() : options.dataFolder;
}

std::string Journalled(const TVocFileInfo& info) {
    return FieldToXmlText(VocFileInfoAttributes(info));
}

std::string ChildFailureLine(const TVocFileInfo& info, const std::string& error) {
    return "提交历史语音文件: " + info.locFile + " 异常-20  " + error;
}

// The log lines about TAVocRecords.xml.
const TQueueFileTexts kQueueFileTexts{
    .missing = "没有历史语音文件",
    .unreadable = "读取历史语音文件异常-22 ",
    .unreadableEnd = "",
    .unreadableSetAside = "无法读取的历史语音文件已改名为:",
    .wrongRoot = "历史语音文件根节点不是 VocRecords 而是 ",
    .loadedCount = "",
    .skippedCopy = "含无效条目的历史语音文件已保留为:",
    .journalUnreadable = "读取语音文件日志异常: ->",
    .journalDamaged = "语音文件日志有 ",
    .journalRecovered = "从日志恢复语音文件数: ",
};

}  // namespace

TTrdUploadVocFile::TTrdUploadVocFile(TUploadWorkerOptions options)
    : options_(std::move(options)),
      queueFile_(FolderOf(options_) + kVocQueueFile),
      queue_(FolderOf(options_) + kVocJournalFile, queueFile_, Journalled,
             options_.syncEachSubmit) {
    EnsureXmlInitialised();
    EnsureCurlInitialised();
    LoadQueue();
    thread_.Start([this] { Run(); });
}

TTrdUploadVocFile::~TTrdUploadVocFile() {
    thread_.StopAndJoin();
}

void TTrdUploadVocFile::SubmitVocFile(const TVocFileInfo& info) {
    std::string error;
    try {
        if (queue_.Submit(info, error))
            return;
    } catch (const std::exception& e) {
        error = e.what();
    }
    LogWorkerError("提交语音文件上传请求异常-40:" + error + " (暂存内存,稍后写入磁盘) " +
                   info.locFile);
}

void TTrdUploadVocFile::LoadQueue() {
    TRecoveredQueue<TVocFileInfo> recovered =
        RecoverQueue<TVocFileInfo>(queue_.JournalPath(), queueFile_, kVocRoot, kQueueFileTexts,
                                   VocFileInfoFromFields, ChildFailureLine);
    std::string error;
    if (!queue_.Start(std::move(recovered.entries), recovered.fromJournal, recovered.usedIds,
                      error)) {
        LogWorkerError("语音文件队列无法写入磁盘,暂存内存: " + error);
    }
}

void TTrdUploadVocFile::KeepJournal() {
    RetryJournalWhenDue(queue_, lastPersistTry_, options_.persistRetryMs, "语音文件队列已写入磁盘");
}

void TTrdUploadVocFile::Run() {
    while (!thread_.StopRequested()) {
        KeepJournal();
        TVocFileInfo current;
        if (!queue_.Front(current)) {
            thread_.WaitFor(options_.idlePollMs);
            continue;
        }
        if (!platform::FileExists(current.locFile)) {
            LogWorkerError("语音文件不存在:" + current.locFile);
            RemoveFirst(current);
            continue;
        }
        if (Upload(current)) {
            RemoveFirst(current);
            continue;
        }
        thread_.WaitFor(options_.retryDelayMs);
    }
    SaveQueue();
}

bool TTrdUploadVocFile::Upload(const TVocFileInfo& info) {
    TRecordingUploadResult result;
    try {
        result = UploadRecording(options_.host, options_.port, info, options_.timeouts);
    } catch (const std::exception& e) {
        result.site = -10;
        result.message = e.what();
    }
    if (!result.ok) {
        LogWorkerError("上传语音文件异常" + std::to_string(result.site) + ":" + result.message);
        return false;
    }
    LogWorkerMsg("上传语音文件成功:" + FileNamePart(info.locFile));
    return true;
}

void TTrdUploadVocFile::RemoveFirst(const TVocFileInfo& info) {
    queue_.PopFront();
    if (IsDelLocVocFile())
        ::unlink(info.locFile.c_str());
}

void TTrdUploadVocFile::SaveQueue() {
    const std::vector<TVocFileInfo> records = queue_.Snapshot();
    if (records.empty()) {
        if (platform::FileExists(queueFile_) && ::unlink(queueFile_.c_str()) == 0) {
            SyncParentFolder(queueFile_);
        }
        queue_.RemoveJournal();
        return;
    }
    std::vector<TFieldAttributes> fields;
    fields.reserve(records.size());
    for (const TVocFileInfo& info : records)
        fields.push_back(VocFileInfoAttributes(info));
    std::string error;
    if (!SaveQueueFile(queueFile_, kVocRoot, fields, error)) {
        LogWorkerError("保存语音文件到本地异常-31:" + error);
        queue_.CloseJournal();
        return;
    }
    queue_.RemoveJournal();
    LogWorkerMsg("保存了 " + std::to_string(records.size()) + " 个语音文件到本地");
}
