// Set-up, settings, events to the host, the state timer and the simulator.
#include "client/agent/TRodiZerad.h"

#include <exception>

#include "client/agent/DeviceLibrary.h"
#include "client/agent/LineInput.h"
#include "client/agent/SilentCallNotifier.h"
#include "client/service/WindowMessages.h"
#include "client/shell/TxtLog.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

TRodiZerad::TRodiZerad(TAgentPorts ports)
    : ports_(std::move(ports)), clock_(ports_.clock ? *ports_.clock : platform::ProcessClock()) {
    SignInMessageHandler = [this](platform::Message& m) { HandleSignInMessage(m); };
}

TRodiZerad::~TRodiZerad() {
    if (!closed_)
        CloseAgent();
    device_library::UnbindEvents(this);
}

platform::DateTime TRodiZerad::Now() const {
    return clock_.now();
}

std::string TRodiZerad::ProgramFolder() const {
    return ports_.programFolder.empty() ? platform::ProgramFolder() : ports_.programFolder;
}

ICallNotifier& TRodiZerad::Warn() {
    static SilentCallNotifier none;
    return notifier_ ? *notifier_ : none;
}

void TRodiZerad::EnsureNotifier() {
    if (notifier_ || !ports_.notifiers)
        return;
    notifier_ =
        ports_.notifiers->CreateNotifier([this](platform::Message& m) { DispatchTrdMsg(m); });
    Warn().HideWarn();
}

void TRodiZerad::InitAgent() {
    CallSeq = 0;
    DeviceOpened = false;
    LoginState = -1;
    LoginSeq = 0;
    LoadAgentSettings();
    if (ports_.createTimer) {
        timer_ = ports_.createTimer();
        if (timer_)
            timer_->start(100, [this] { TimerTick(); });
    }
    notifier_.reset();
    EnsureNotifier();
}

void TRodiZerad::LoadAgentSettings() {
    TAgentSettings s{Host,     Port,       AreaCode,  LocalTelLength,
                     LineType, PrefixDTMF, PrefixCID, ExtNoLen};
    std::string error;
    ::LoadAgentSettings(s, error);
    Host = s.Host;
    Port = s.Port;
    AreaCode = s.AreaCode;
    LocalTelLength = s.LocalTelLength;
    LineType = s.LineType;
    PrefixDTMF = s.PrefixDTMF;
    PrefixCID = s.PrefixCID;
    ExtNoLen = s.ExtNoLen;
    LocalInfo.AreaCode = AreaCode;
    if (!error.empty())
        platform::ShowMessageBox(error);
}

void TRodiZerad::SetWarnEnabled(bool enabled) {
    Warn().SetEnabled(enabled);
}

void TRodiZerad::FireDevEvent(int MyEvt, int iParam, const std::string& sParam) {
    if (!OnDevEvent)
        return;
    try {
        OnDevEvent(MyEvt, iParam, sParam);
    } catch (const std::exception& e) {
        LogError("OnDevEvent(" + std::to_string(MyEvt) + "," + std::to_string(iParam) +
                 ") handler failed: " + e.what());
    } catch (...) {
        LogError("OnDevEvent(" + std::to_string(MyEvt) + "," + std::to_string(iParam) +
                 ") handler failed");
    }
}

void TRodiZerad::ArmTimer(int ms) {
    stateTimer_.Arm(Now(), ms);
}

void TRodiZerad::TimerTick() {
    // A tick never runs inside another one, even when a handler waits in a
    // message box that keeps the event loop going.
    if (inTick_)
        return;
    inTick_ = true;
    if (stateTimer_.Expire(Now()))
        Dispatch(kInputTimeout, std::string());
    if (OnStateTick)
        OnStateTick();
    inTick_ = false;
}

void TRodiZerad::DispatchTrdMsg(platform::Message& msg) {
    switch (msg.number) {
        case WM_SHOW_MAIN:
            if (OnShowMain)
                OnShowMain();
            break;
        case WM_TRD_LOG:
            if (TTxtLog* log = ProcessLog())
                log->WriteLog(msg.text());
            if (OnWorkerLogLine)
                OnWorkerLogLine(msg.text());
            break;
        case WM_TRD_CALLERINFO:
            HandleCallerInfoAnswer(static_cast<int>(msg.wParam), msg.text());
            break;
        case WM_TRD_LOGIN:
        case WM_TRD_LOGOUT:
            if (SignInMessageHandler)
                SignInMessageHandler(msg);
            break;
        default:
            break;
    }
}

void TRodiZerad::StartDemo() {
    EnsureNotifier();
    if (!rules_)
        LoadDialRules();
    Channel = 1;
    StartUploadWorkers();
    EnterState(kStateIdle);
}

void TRodiZerad::SimulateEvent(int kind, const std::string& text) {
    EnsureNotifier();
    std::string note;
    const std::string clean = CleanLineText(text, note);
    if (!note.empty())
        LogWarn("SimulateEvent " + std::to_string(kind) + ": text " + note);
    switch (kind) {
        case 0:
            Warn().HideWarn();
            break;
        case 1:
            Dispatch(kInputOnHook, std::string());
            Warn().HideWarn();
            DemoMode = false;
            break;
        case 2:
        case 4:
            DemoMode = true;
            Dispatch(kInputCallerId, clean);
            break;
        case 3:
            DemoMode = true;
            Dispatch(kInputRing, std::string());
            break;
        case 5:
            DemoMode = true;
            Dispatch(kInputOffHook, std::string());
            break;
        case 6:
            if (!IsDtmfDigit(clean)) {
                LogWarn("SimulateEvent 6: refused digit \"" + clean + "\"");
                break;
            }
            DemoMode = true;
            Dispatch(kInputDigit, clean);
            break;
        default:
            LogWarn("SimulateEvent: unknown kind " + std::to_string(kind));
            break;
    }
}
