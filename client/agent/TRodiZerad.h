// The telephony agent: the binding of the device library, the line state
// machine with the call record, call recording, and the events raised to the
// user interface. One per process; everything runs on the user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "client/agent/AgentEvents.h"
#include "client/agent/AgentSettings.h"
#include "client/agent/ICallNotifier.h"
#include "client/agent/ICallerInfoRequester.h"
#include "client/agent/StateTimer.h"
#include "client/agent/UploadSinks.h"
#include "client/numberrules/TTelRule.h"
#include "platform/Clock.h"
#include "platform/MessageTarget.h"
#include "platform/PeriodicTimer.h"

// What the agent reaches outside itself. Every member may be left empty: the
// agent then goes without that collaborator (no window, no lookups, no uploads).
struct TAgentPorts {
    const platform::Clock* clock = nullptr;  // the process clock when null
    // Makes the 100 ms state timer (a Qt timer in programs, a manual one in tests).
    std::function<std::unique_ptr<platform::PeriodicTimer>()> createTimer;
    ICallNotifierFactory* notifiers = nullptr;
    ICallerInfoRequester* callerInfo = nullptr;
    IUploadWorkerFactory* uploadWorkers = nullptr;
    // Where the device library and DialRule.xml are; platform::ProgramFolder() when empty.
    std::string programFolder;
};

class TRodiZerad {
  public:
    // Line states.
    static constexpr int kStateWaitDevice = -1;
    static constexpr int kStateIdle = 0;
    static constexpr int kStateCallerIdFirst = 1;
    static constexpr int kStateRinging = 2;
    static constexpr int kStateOffHook = 3;
    static constexpr int kStateDialOutside = 4;
    static constexpr int kStateDialExtension = 5;
    static constexpr int kStateTalking = 6;

    // Inputs of the state machine: the line events of the device library and
    // the agent's own inputs.
    static constexpr int kInputRing = 0;
    static constexpr int kInputCallerId = 2;
    static constexpr int kInputOffHook = 3;
    static constexpr int kInputOnHook = 4;
    static constexpr int kInputDigit = 5;
    static constexpr int kInputDeviceStatus = 32;  // handled before the states
    static constexpr int kInputEntered = 1000;
    static constexpr int kInputDeviceReady = 1006;
    static constexpr int kInputTimeout = 1007;

    static constexpr int kLoginSignedIn = 1000;

    explicit TRodiZerad(TAgentPorts ports = {});
    ~TRodiZerad();
    TRodiZerad(const TRodiZerad&) = delete;
    TRodiZerad& operator=(const TRodiZerad&) = delete;

    // --- Set-up and settings ---
    // Resets the counters, reads the settings, creates the state timer and the
    // notification window (moved out of sight). Once, from the login window.
    void InitAgent();
    void LoadAgentSettings();
    void ReloadSettings() { LoadAgentSettings(); }
    void SetWarnEnabled(bool enabled);

    // --- Device ---
    // Loads the device library from the program folder, binds it and opens
    // the device. 1 opened, -1 no channel, -2 library not loaded, -3 error.
    int InitDevice();
    // The device steps of a completed sign-in, once per process: bind the
    // callback, load the dial rules, open the device, start the upload
    // workers and put the line into service (state 0, or -1 until the box
    // reports in). Returns InitDevice's result, or 1 when the device was
    // opened before.
    int StartLineService();
    // The sign-in answered State 1000: signed in from now on, then StartLineService.
    void SignedIn();

    // --- Sign-in ---
    // Starts the sign-in request (M=1000) on a TTrdLogin worker; the answer
    // arrives as WM_TRD_LOGIN and is told to the host as event 11.
    // 1 started, 0 refused (signed in already, AgentID not above 0 or empty
    // password), -1 the worker could not start.
    int SetLoginEx(int AppId, int agentId, const std::string& userAccount,
                   const std::string& organization, const std::string& userName,
                   const std::string& password);
    // The request address of SetLoginEx; `r` is the millisecond part of the time.
    std::string SignInUrl(int AppId, const std::string& password, int r) const;
    // Closes the device, unloads the library and frees the upload workers.
    void CloseAgent();

    // --- The line ---
    // The receiver of the device callback: a device event with its parameter
    // and text. Unknown codes and refused texts are logged and dropped.
    void HandleEvent(int event, int param, const std::string& text);
    // The phone simulator.
    void StartDemo();
    void SimulateEvent(int kind, const std::string& text);
    // One tick of the 100 ms state timer (the platform timer calls it).
    void TimerTick();

    // --- Worker messages ---
    // OnTrdMsg of the notification window: 1124, 1136 and 1144 are handled
    // here; the sign-in messages 1134 and 1135 go to SignInMessageHandler.
    void DispatchTrdMsg(platform::Message& msg);
    // The caller-information answer (WM_TRD_CALLERINFO).
    void HandleCallerInfoAnswer(int callSeq, const std::string& answer);

    // Loads DialRule.xml from the program folder into a new rule object. A
    // file that fails to load is logged and shown, and the lists read up to
    // the failure are used.
    void LoadDialRules();

    // --- Events to the host ---
    TDevEvent OnDevEvent;
    TOnShowMain OnShowMain;
    // Receives the sign-in answers (1134) and sign-out answers (1135); the
    // agent's own handling unless the host replaces it.
    std::function<void(platform::Message&)> SignInMessageHandler;
    // Told every worker log line (1136) after it went to the text log.
    std::function<void(const std::string&)> OnWorkerLogLine;
    // Called on every state timer tick, for the sign-in's own time-out.
    std::function<void()> OnStateTick;
    // Raises an agent event; whatever the handler throws is caught and logged.
    void FireDevEvent(int MyEvt, int iParam, const std::string& sParam);

    // --- Settings (public as in the host's use) ---
    std::string Host;
    int Port = 0;
    std::string AreaCode;
    int LocalTelLength = 0;
    int LineType = 0;
    std::string PrefixDTMF;
    std::string PrefixCID;
    int ExtNoLen = 0;

    // --- Sign-in values, filled by the sign-in ---
    int AgentID = 0;
    std::string UserName;
    std::string UserAccount;
    std::string Organization;
    std::string UserFullCode;
    std::string EnterpriseName;
    int LoginSeq = 0;
    int LoginState = -1;  // 1000 signed in
    platform::DateTime LoginTime;
    bool IsSignedIn() const { return LoginState == kLoginSignedIn; }

    // --- Device state ---
    bool DeviceOpened = false;
    bool DeviceReady = false;
    int Channel = 0;

    // --- Call record ---
    int LineState = kStateIdle;
    int CallSeq = 0;
    int CallType = 0;
    int NumberKind = 0;
    std::string RawNumber;
    std::string TelNo;
    int RingCount = 0;
    std::string Digits;
    std::string GuidCall;
    platform::DateTime StartTalk;
    platform::DateTime EndTalk;
    std::string CompanyName, ClientName, Corp, Province, City;
    std::string urlHost, urlCaption, sNote;
    TTelAttr TelAttr;
    bool DemoMode = false;
    TLocalInfo LocalInfo;

    // --- Recording ---
    std::string VocFileName;
    std::string VocFile;
    bool Recording = false;

    // --- For the host and tests ---
    const TStateTimer& StateTimer() const { return stateTimer_; }
    const TTelRule* Rules() const { return rules_.get(); }
    ICallNotifier* Notifier() const { return notifier_.get(); }
    ICallLogSink* CallLogWorker() const { return callLogWorker_.get(); }
    IVocFileSink* VocFileWorker() const { return vocFileWorker_.get(); }
    std::string ProgramFolder() const;

    // Recording (also used by the state machine).
    std::string BuildVocFile();
    void StartRecord();
    void StopRecord();

  private:
    void EnterState(int state, const std::string& text = std::string());
    void Dispatch(int input, const std::string& text);
    void NewCallReset();
    void CallerIdReceived(const std::string& number);
    void RingReceived();
    void MissedCall();
    void DialComplete();
    void ExtensionComplete();
    void TalkStarted();
    void TalkEnded();
    void DeviceStatusChanged(int status, const std::string& text);
    void StartCallerInfoLookup(const std::string& number);
    void SubmitRecording();
    void StartUploadWorkers();
    void HandleSignInMessage(platform::Message& msg);
    void HandleLoginAnswer(int sequence, const std::string& answer);
    void HandleLogoutAnswer(int sequence, const std::string& answer);
    void EnsureNotifier();
    void ArmTimer(int ms);
    void StartPlatformTimer();
    ICallNotifier& Warn();
    platform::DateTime Now() const;

    TAgentPorts ports_;
    bool closed_ = false;
    int logoutSeq_ = 0;  // no sign-out request exists, so it stays 0
    bool inTick_ = false;
    const platform::Clock& clock_;
    std::unique_ptr<platform::PeriodicTimer> timer_;
    TStateTimer stateTimer_;
    std::unique_ptr<ICallNotifier> notifier_;
    std::unique_ptr<TTelRule> rules_;
    std::unique_ptr<ICallLogSink> callLogWorker_;
    std::unique_ptr<IVocFileSink> vocFileWorker_;
};
