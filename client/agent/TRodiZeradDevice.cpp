// The device library: loading, opening, status events, the device steps of
// the sign-in, the dial rules, and closing at exit.
#include <exception>
#include <stdexcept>

#include "client/agent/DeviceLibrary.h"
#include "client/agent/LineInput.h"
#include "client/agent/TRodiZerad.h"
#include "client/shell/TxtLog.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

// Closes a device that was opened and unloads its library.
void CloseLoadedLibrary(bool deviceOpenCalled) {
    if (!device_library::IsLoaded())
        return;
    if (deviceOpenCalled) {
        if (VD_DevClose_t close = device_library::Functions().DevClose)
            close();
    }
    device_library::Unload();
}

template <typename F>
F ResolveAs(const char* name) {
    return reinterpret_cast<F>(device_library::Resolve(name));
}

// Device statuses beyond this would collide with other codes or overflow.
constexpr int kMaxDeviceStatus = 899;

}  // namespace

int TRodiZerad::InitDevice() {
    DeviceReady = false;
    int step = 1;
    FireDevEvent(kEvtDeviceStatus, kStatusInitStart, kTextInitStart);
    bool openCalled = false;
    try {
        // A library left loaded by an earlier attempt is closed first.
        CloseLoadedLibrary(true);
        step = 10;
        const std::string folder = ProgramFolder();
        std::string reason = "the program folder is unknown";
        const bool loaded =
            !folder.empty() &&
            device_library::Load(platform::JoinPath(folder, VD_LIBRARY_FILE_NAME), reason);
        step = 11;
        if (!loaded) {
            LogError(std::string(kTextLoadFailed) + ": " + reason);
            FireDevEvent(kEvtDeviceStatus, kStatusLoadFailed, kTextLoadFailed);
            return -2;
        }
        TDeviceFunctions& f = device_library::Functions();
        f.DevOpen = ResolveAs<VD_DevOpen_t>("VD_DevOpen");
        step = 12;
        if (!f.DevOpen)
            throw std::runtime_error(kTextNoDevOpen);
        f.DevClose = ResolveAs<VD_DevClose_t>("VD_DevClose");
        step = 13;
        f.GetDevInfo = ResolveAs<VD_GetDevInfo_t>("VD_GetDevInfo");
        step = 14;
        f.GetChannel = ResolveAs<VD_GetChannel_t>("VD_GetChannel");
        step = 15;
        f.RecordFile = ResolveAs<VD_RecordFile_t>("VD_RecordFile");
        step = 16;
        f.StopRecord = ResolveAs<VD_StopRecord_t>("VD_StopRecord");
        f.SendDTMF = ResolveAs<VD_SendDTMF_t>("VD_SendDTMF");
        step = 17;
        f.Show = ResolveAs<VD_Show_t>("VD_Show");
        step = 18;
        openCalled = true;
        f.DevOpen(&device_library::EventCallback);  // its status is told by the channel count
        step = 19;
        // Without VD_GetDevInfo the channel count cannot be read.
        if (!f.GetDevInfo)
            throw std::runtime_error("Dll_GetDevInfo 函数不存在.");
        VD_DevInfo& info = device_library::DevInfo();
        info = VD_DevInfo{};
        f.GetDevInfo(&info);
        step = 20;
        const unsigned channels = info.channels;
        step = 21;
        if (channels == 0) {
            FireDevEvent(kEvtDeviceStatus, kStatusNoChannel, kTextNoChannel);
            return -1;
        }
        step = 22;
        DeviceOpened = true;
        return 1;
    } catch (const std::exception& e) {
        CloseLoadedLibrary(openCalled);
        const std::string text = "Step:" + std::to_string(step) + "." + e.what();
        LogError(text);
        FireDevEvent(kEvtDeviceStatus, kStatusInitError, text);
        return -3;
    }
}

void TRodiZerad::LoadDialRules() {
    auto rules = std::make_unique<TTelRule>();
    const TRuleLoadResult result =
        rules->LoadFromFile(platform::JoinPath(ProgramFolder(), kDialRuleFileName));
    if (!result) {
        // The agent keeps what was read and goes on: a bad rule file must not
        // cost it the device.
        LogError(result.Error);
        platform::ShowMessageBox(result.Error);
    }
    rules_ = std::move(rules);
    LocalInfo.Province.clear();
    LocalInfo.City.clear();
    rules_->FindLocalInfo(LocalInfo);
}

void TRodiZerad::StartUploadWorkers() {
    if (!ports_.uploadWorkers)
        return;
    try {
        if (!callLogWorker_)
            callLogWorker_ = ports_.uploadWorkers->CreateCallLogWorker(Host, Port);
        if (!vocFileWorker_)
            vocFileWorker_ = ports_.uploadWorkers->CreateVocFileWorker(Host, Port);
    } catch (const std::exception& e) {
        LogError(std::string("starting the upload workers failed: ") + e.what());
    }
}

int TRodiZerad::StartLineService() {
    if (DeviceOpened) {
        LogRun("设备已经初始化，不需要重新初始化");
        return 1;
    }
    device_library::BindEvents(this, [this](int event, int param, const std::string& text) {
        HandleEvent(event, param, text);
    });
    LoadDialRules();
    const int result = InitDevice();
    if (result < 0)
        return result;
    Channel = 1;
    StartUploadWorkers();
    EnterState(DeviceReady ? kStateIdle : kStateWaitDevice);
    return result;
}

void TRodiZerad::SignedIn() {
    LoginState = kLoginSignedIn;
    StartLineService();
}

void TRodiZerad::CloseAgent() {
    closed_ = true;
    try {
        timer_.reset();
    } catch (...) {
    }
    try {
        CloseLoadedLibrary(true);
    } catch (...) {
    }
    try {
        callLogWorker_.reset();
    } catch (...) {
    }
    try {
        vocFileWorker_.reset();
    } catch (...) {
    }
}

void TRodiZerad::DeviceStatusChanged(int status, const std::string& text) {
    if (status < 0 || status > kMaxDeviceStatus) {
        LogWarn("device status " + std::to_string(status) + " refused: out of range");
        return;
    }
    FireDevEvent(kEvtDeviceStatus, kStatusDeviceBase + status, text);
    if (status == VD_STATUS_PLUGGED) {
        DeviceReady = true;
        Dispatch(kInputDeviceReady, std::string());
    }
}

void TRodiZerad::HandleEvent(int event, int param, const std::string& text) {
    std::string note;
    const std::string clean = CleanLineText(text, note);
    if (!note.empty())
        LogWarn("device event " + std::to_string(event) + ": text " + note);
    switch (event) {
        case VD_EVT_DEVICE_STATUS:
            DeviceStatusChanged(param, clean);
            break;
        case VD_EVT_RING:
        case VD_EVT_CALLER_ID:
        case VD_EVT_OFF_HOOK:
        case VD_EVT_ON_HOOK:
            Dispatch(event, clean);
            break;
        case VD_EVT_DTMF:
            if (!IsDtmfDigit(clean)) {
                LogWarn("device event 5: refused digit \"" + clean + "\"");
                break;
            }
            Dispatch(event, clean);
            break;
        case VD_EVT_IDLE:
        case VD_EVT_VENDOR_25:
        case VD_EVT_VENDOR_28:
        case VD_EVT_HANGUP_STATE4:
        case VD_EVT_VENDOR_13:
            break;
        default:
            LogWarn("device event " + std::to_string(event) + " unknown, dropped");
            break;
    }
}
