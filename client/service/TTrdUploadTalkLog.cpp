#include "client/service/TTrdUploadTalkLog.h"

#include <unistd.h>

#include <chrono>
#include <exception>

#include "client/agent/CallTypeName.h"
#include "client/service/ApiQuery.h"
#include "client/service/JournalRetry.h"
#include "client/service/QueueFileRecovery.h"
#include "client/service/QueueFileXml.h"
#include "client/service/RecordFields.h"
#include "client/service/WorkerLog.h"
#include "client/service/WorkerShared.h"
#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"
#include "platform/Paths.h"

namespace {

std::string FolderOf(const TUploadWorkerOptions& options) {
    return options.dataFolder.empty() ? DataFolder() : options.dataFolder;
}

std::string Journalled(const TTalkInfo& info) {
    return FieldToXmlText(TalkInfoAttributes(info));
}

// " 话单 TelNo:%s VocID:%s Time:%s" of the upload lines.
std::string RecordText(const TTalkInfo& info) {
    return "话单 TelNo:" + info.CallerID + " VocID:" + info.guidVocID +
           " Time:" + QueueDateTimeText(info.tmStart);
}

std::string ChildFailureLine(const TTalkInfo& info, const std::string& error) {
    return "提交历史话单异常: TelNo:" + info.CallerID + " CallType:" + CallTypeName(info.TalkType) +
           " Time:" + QueueDateTimeText(info.tmStart) + " ->" + error + " ";
}

// The log lines about TACallLogs.xml.
const TQueueFileTexts kQueueFileTexts{
    .missing = "无历史话单",
    .unreadable = "读取历史话单异常-2: ->",
    .unreadableEnd = " ",
    .unreadableSetAside = "无法读取的历史话单文件已改名为:",
    .wrongRoot = "历史话单文件根节点不是 CallLogs 而是 ",
    .loadedCount = "历史话单数: ",
    .skippedCopy = "含无效条目的历史话单文件已保留为:",
    .journalUnreadable = "读取话单日志异常: ->",
    .journalDamaged = "话单日志有 ",
    .journalRecovered = "从日志恢复话单数: ",
};

}  // namespace

TTrdUploadTalkLog::TTrdUploadTalkLog(TUploadWorkerOptions options)
    : options_(std::move(options)),
      queueFile_(FolderOf(options_) + kCallLogQueueFile),
      queue_(FolderOf(options_) + kCallLogJournalFile, queueFile_, Journalled,
             options_.syncEachSubmit) {
    EnsureXmlInitialised();
    EnsureCurlInitialised();
    LoadQueue();
    thread_.Start([this] { Run(); });
}

TTrdUploadTalkLog::~TTrdUploadTalkLog() {
    thread_.StopAndJoin();
}

std::string TTrdUploadTalkLog::BuildUrl(const std::string& host, int port, const TTalkInfo& info,
                                        const std::string& signInGuid) {
    return TApiQuery(1002, "AgentID", std::to_string(info.UserID))
        .add("Guid", signInGuid)
        .add("UserAccount", info.UserAccount)
        .add("UserName", info.UserName)
        .add("UserFullCode", info.UserFullCode)
        .add("TeleNumber", info.CallerID)
        .add("TalkType", info.TalkType)
        .add("StartTime", QueueDateTimeText(info.tmStart))
        .add("StopTime", QueueDateTimeText(info.tmEnd))
        .add("BusId", BusId(info.UserID))
        .add("EnterpriseName", info.EnterpriseName)
        .add("VoiceUri", FileNamePart(info.locFile))
        .add("VocID", info.guidVocID)
        .add("CompanyName", info.CompanyName)
        .add("ClientName", info.ClientName)
        .add("Corp", info.Corp)
        .add("Province", info.Province)
        .add("City", info.City)
        .url(host, port);
}

void TTrdUploadTalkLog::SubmitTalkLog(const TTalkInfo& info) {
    std::string error;
    try {
        if (queue_.Submit(info, error))
            return;
    } catch (const std::exception& e) {
        error = e.what();
    }
    LogWarn("添加上传话单请求异常 UserAccount:" + info.UserAccount +
            " UserFullCode:" + info.UserFullCode + " TalkType:" + std::to_string(info.TalkType) +
            " CallerID:" + info.CallerID + " tmStart:" + QueueDateTimeText(info.tmStart) + "  " +
            error + " (话单暂存内存,稍后写入磁盘)");
}

void TTrdUploadTalkLog::LoadQueue() {
    TRecoveredQueue<TTalkInfo> recovered =
        RecoverQueue<TTalkInfo>(queue_.JournalPath(), queueFile_, kCallLogRoot, kQueueFileTexts,
                                TalkInfoFromFields, ChildFailureLine);
    std::string error;
    if (!queue_.Start(std::move(recovered.entries), recovered.fromJournal, recovered.usedIds,
                      error)) {
        LogWorkerError("话单队列无法写入磁盘,暂存内存: " + error);
    }
}

void TTrdUploadTalkLog::KeepJournal() {
    RetryJournalWhenDue(queue_, lastPersistTry_, options_.persistRetryMs, "话单队列已写入磁盘");
}

void TTrdUploadTalkLog::Run() {
    while (!thread_.StopRequested()) {
        KeepJournal();
        TTalkInfo current;
        if (!queue_.Front(current)) {
            thread_.WaitFor(options_.idlePollMs);
            continue;
        }
        while (true) {
            if (Send(current)) {
                queue_.PopFront();
                break;
            }
            if (thread_.WaitFor(options_.retryDelayMs))
                break;
            KeepJournal();
        }
    }
    SaveQueue();
}

bool TTrdUploadTalkLog::Send(const TTalkInfo& info) {
    THttpResult result;
    try {
        result = HttpRequest(BuildUrl(options_.host, options_.port, info, SignInGuid()),
                             options_.timeouts);
    } catch (const std::exception& e) {
        result.code = -1;
        result.text = e.what();
    }
    if (result.code == 1 && IsRetryableStatus(result.status)) {
        LogWorkerError("上传话单POST失败 <" + std::to_string(result.status) + "> HTTP状态 " +
                       std::to_string(result.status) + " " + RecordText(info));
        return false;
    }
    if (result.code != 1) {
        LogWorkerError("上传话单POST失败 <" + std::to_string(result.code) + "> " + result.text +
                       " " + RecordText(info));
        return false;
    }
    if (result.status < 200 || result.status > 299) {
        LogWorkerWarn("话单上传被服务拒绝 HTTP状态 " + std::to_string(result.status) +
                      ",不再重发 " + RecordText(info));
    }
    LogWorkerMsg("话单上传成功:" + RecordText(info));
    return true;
}

void TTrdUploadTalkLog::SaveQueue() {
    const std::vector<TTalkInfo> records = queue_.Snapshot();
    if (records.empty()) {
        if (platform::FileExists(queueFile_) && ::unlink(queueFile_.c_str()) == 0) {
            SyncParentFolder(queueFile_);
        }
        queue_.RemoveJournal();
        return;
    }
    std::vector<TFieldAttributes> fields;
    fields.reserve(records.size());
    for (const TTalkInfo& info : records)
        fields.push_back(TalkInfoAttributes(info));
    std::string error;
    if (!SaveQueueFile(queueFile_, kCallLogRoot, fields, error)) {
        LogWorkerError("保存话单到本地时异常-3 ->" + error);
        queue_.CloseJournal();
        return;
    }
    queue_.RemoveJournal();
    LogWorkerMsg("保存 " + std::to_string(records.size()) + " 条话单到本地 ");
}
