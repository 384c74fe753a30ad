// Recording of conversations: file names and folders, start, stop, submission.
#include <exception>

#include "client/agent/DeviceLibrary.h"
#include "client/agent/TRodiZerad.h"
#include "client/agent/VocFileNaming.h"
#include "client/shell/Configuration.h"
#include "client/shell/TxtLog.h"
#include "platform/Paths.h"

namespace {

// True when the folder exists afterwards; otherwise logs the failure.
bool EnsureFolder(const std::string& folder) {
    if (platform::FolderExists(folder) || platform::CreateFolder(folder))
        return true;
    LogError("创建目录失败:" + folder);
    return false;
}

}  // namespace

std::string TRodiZerad::BuildVocFile() {
    const std::string dataFolder = DataFolder();
    std::string folder = dataFolder + kVocFileFolderName;
    // Without a data folder the recording would land in the working folder.
    if (dataFolder.empty()) {
        LogError("创建目录失败:" + folder);
        return std::string();
    }
    if (!EnsureFolder(folder))
        return std::string();
    folder = platform::JoinPath(folder, VocDayFolderName(StartTalk));
    if (!EnsureFolder(folder))
        return std::string();
    VocFileName = ::VocFileName(GuidCall, AgentID, TelNo, StartTalk, CallType);
    return platform::JoinPath(folder, VocFileName);
}

void TRodiZerad::StartRecord() {
    // A conversation never carries the path of an earlier one.
    VocFile.clear();
    if (!IsSignedIn())
        return;
    VocFile = BuildVocFile();
    if (VocFile.empty()) {
        FireDevEvent(kEvtDeviceStatus, kStatusNoVocFileName, kTextNoVocFileName);
        return;
    }
    if (DemoMode)
        return;
    VD_RecordFile_t record = device_library::Functions().RecordFile;
    const std::int16_t status = record ? record(Channel, VocFile.c_str()) : std::int16_t{-1};
    if (status != 0) {
        LogError(std::string(kTextRecordFailed) + ":" + VocFile);
        FireDevEvent(kEvtDeviceStatus, kStatusRecordFailed, kTextRecordFailed);
        return;
    }
    FireDevEvent(kEvtRecording, 0, GuidCall + "|" + VocFileName);
    Recording = true;
}

void TRodiZerad::StopRecord() {
    if (Recording) {
        if (VD_StopRecord_t stop = device_library::Functions().StopRecord)
            stop(Channel);
    }
    Recording = false;
}

void TRodiZerad::SubmitRecording() {
    if (DemoMode)
        return;
    try {
        if (vocFileWorker_)
            vocFileWorker_->SubmitVocFile(TVocFileInfo{AgentID, GuidCall, VocFile});
        LogMsg("提交上传录音请求:" + VocFile);
    } catch (const std::exception& e) {
        LogError(std::string("submitting the recording failed: ") + e.what());
    }
}
