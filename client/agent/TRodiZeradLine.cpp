// The line state machine, the call record and the caller-information answer.
#include <exception>

#include "client/agent/CallTypeName.h"
#include "client/agent/NumberClassification.h"
#include "client/agent/TRodiZerad.h"
#include "client/service/JsonField.h"
#include "client/shell/TxtLog.h"
#include "platform/Text.h"

namespace {

constexpr int kWaitDeviceMs = 10000;
constexpr int kRingTimeoutMs = 6000;
constexpr int kDialTimeoutMs = 10000;
constexpr const char* kInsideLine = "内线";

bool BeginsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// A JSON string value as GetJsonField gives it, without its quotes.
std::string Unquoted(const std::string& value) {
    if (value.empty())
        return value;
    return value.size() < 2 ? std::string() : value.substr(1, value.size() - 2);
}

std::string DateTimeText(const platform::DateTime& t) {
    return platform::FormatDateTime("yyyy-mm-dd hh:nn:ss", t);
}

}  // namespace

void TRodiZerad::EnterState(int state, const std::string& text) {
    LineState = state;
    Dispatch(kInputEntered, text);
}

void TRodiZerad::Dispatch(int input, const std::string& text) {
    switch (LineState) {
        case kStateWaitDevice:
            if (input == kInputEntered) {
                ArmTimer(kWaitDeviceMs);
            } else if (input == kInputDeviceReady) {
                EnterState(kStateIdle);
            } else if (input == kInputTimeout) {
                FireDevEvent(kEvtDeviceStatus, kStatusNoChannel, kTextWaitForBox);
                EnterState(kStateWaitDevice);
            }
            break;

        case kStateIdle:
            if (input == kInputEntered) {
                NewCallReset();
            } else if (input == kInputRing) {
                EnterState(kStateRinging);
            } else if (input == kInputCallerId) {
                EnterState(kStateCallerIdFirst, text);
            } else if (input == kInputOffHook) {
                EnterState(kStateOffHook);
            }
            break;

        case kStateCallerIdFirst:
            if (input == kInputEntered) {
                CallType = kCallTypeIncoming;
                GuidCall = platform::NewGuidString();
                CallerIdReceived(text);
                ArmTimer(kRingTimeoutMs);
            } else if (input == kInputRing) {
                EnterState(kStateRinging);
            } else if (input == kInputTimeout) {
                MissedCall();
                EnterState(kStateIdle);
            }
            break;

        case kStateRinging:
            if (input == kInputEntered) {
                GuidCall = platform::NewGuidString();
                CallType = kCallTypeIncoming;
                ++RingCount;
                RingReceived();
            } else if (input == kInputRing) {
                ++RingCount;
                RingReceived();
            } else if (input == kInputCallerId) {
                CallerIdReceived(text);
            } else if (input == kInputOffHook) {
                EnterState(kStateTalking);
            } else if (input == kInputOnHook || input == kInputTimeout) {
                MissedCall();
                EnterState(kStateIdle);
            }
            break;

        case kStateOffHook:
            if (input == kInputEntered) {
                GuidCall = platform::NewGuidString();
                Digits.clear();
                CallType = kCallTypeOutgoing;
                FireDevEvent(kEvtOffHook, CallType, std::string());
                if (LineType == 0)
                    EnterState(kStateDialOutside);
            } else if (input == kInputDigit) {
                if (!PrefixDTMF.empty() && !text.empty() && text[0] == PrefixDTMF[0]) {
                    FireDevEvent(kEvtDigit, CallType, text);
                    EnterState(kStateDialOutside);
                } else {
                    EnterState(kStateDialExtension, text);
                }
            } else if (input == kInputOnHook) {
                FireDevEvent(kEvtHangUp, CallType, std::string());
                EnterState(kStateIdle);
            }
            break;

        case kStateDialOutside:
            if (input == kInputDigit) {
                FireDevEvent(kEvtDigit, CallType, text);
                Digits += text;
                RawNumber = Digits;
                if (AdvanceDialledNumber(rules_.get(), Digits, TelAttr)) {
                    DialComplete();
                } else {
                    ArmTimer(kDialTimeoutMs);
                }
            } else if (input == kInputTimeout) {
                DialComplete();
            } else if (input == kInputOnHook) {
                FireDevEvent(kEvtHangUp, CallType, std::string());
                EnterState(kStateIdle);
            }
            break;

        case kStateDialExtension:
            if (input == kInputEntered) {
                Dispatch(kInputDigit, text);
            } else if (input == kInputDigit) {
                FireDevEvent(kEvtDigit, CallType, text);
                Digits += text;
                NumberKind = kNumberOutgoingExtension;
                if (static_cast<long long>(Digits.size()) >= ExtNoLen)
                    ExtensionComplete();
            } else if (input == kInputOnHook) {
                FireDevEvent(kEvtHangUp, CallType, std::string());
                EnterState(kStateIdle);
            }
            break;

        case kStateTalking:
            if (input == kInputEntered) {
                stateTimer_.Disarm();
                TalkStarted();
            } else if (input == kInputDigit) {
                FireDevEvent(kEvtDigit, CallType, text);
            } else if (input == kInputOnHook) {
                TalkEnded();
                FireDevEvent(kEvtHangUp, CallType, std::string());
                EnterState(kStateIdle);
            }
            break;

        default:
            break;
    }
}

void TRodiZerad::NewCallReset() {
    ++CallSeq;
    RingCount = 0;
    RawNumber.clear();
    TelNo.clear();
    CompanyName.clear();
    ClientName.clear();
    Corp.clear();
    Province.clear();
    City.clear();
    urlHost.clear();
    urlCaption.clear();
    sNote.clear();
    GuidCall.clear();
    CallType = kCallTypeNone;
    TelAttr = NewCallTelAttr(LocalInfo, LocalTelLength);
    stateTimer_.Disarm();
}

void TRodiZerad::CallerIdReceived(const std::string& number) {
    RawNumber = number;
    if (LineType == 1 && !PrefixCID.empty()) {
        if (BeginsWith(RawNumber, PrefixCID)) {
            NumberKind = kNumberOutsideCaller;
            TelNo = RawNumber.substr(PrefixCID.size());
        } else {
            // An inside caller's number carries no outside-line prefix.
            TelNo = RawNumber;
            NumberKind = kNumberInsideCaller;
        }
    } else {
        NumberKind = kNumberOutsideCaller;
        TelNo = RawNumber;
    }

    if (NumberKind == kNumberInsideCaller) {
        CompanyName = kInsideLine;
        Warn().ShowIncoming(TelNo);
        Warn().ShowCallerInfo(TelNo, kInsideLine, "", "", "", "", "", "");
        FireDevEvent(kEvtNumber, kNumberInsideCaller, TelNo);
        return;
    }

    ClassifyIncomingNumber(rules_.get(), LocalInfo, TelNo, TelAttr);
    if (TelAttr.TelType == 1) {
        CompanyName = TelAttr.ServiceName;
        Warn().ShowCallerInfo(RawNumber, TelAttr.Province + TelAttr.City, "", TelAttr.ServiceName,
                              "", "", "", "");
        FireDevEvent(kEvtNumber, kNumberOutsideCaller,
                     NumberEventText(kNumberOutsideCaller, TelNo, TelAttr));
        return;
    }
    Warn().ShowIncoming(RawNumber);
    FireDevEvent(kEvtNumber, kNumberOutsideCaller,
                 NumberEventText(kNumberOutsideCaller, TelNo, TelAttr));
    if (IsSignedIn() && !TelNo.empty())
        StartCallerInfoLookup(TelNo);
}

void TRodiZerad::RingReceived() {
    if (RingCount == 1) {
        Warn().ShowRing(TelNo);
    } else {
        Warn().ShowRingCount(RingCount);
    }
    ArmTimer(kRingTimeoutMs);  // missed when no further ring comes in time
    FireDevEvent(kEvtRing, RingCount, TelNo);
}

void TRodiZerad::MissedCall() {
    Warn().ShowMissed();
    if (IsSignedIn() && callLogWorker_) {
        TTalkInfo info;
        info.EnterpriseName = EnterpriseName;
        info.UserID = AgentID;
        info.UserAccount = UserAccount;
        info.UserName = UserName;
        info.CallerID = TelNo;
        info.UserFullCode = UserFullCode;
        info.TalkType = kCallTypeMissed;
        info.tmStart = info.tmEnd = Now();
        info.guidVocID = GuidCall;
        info.CompanyName = CompanyName;
        info.ClientName = ClientName;
        info.Corp = Corp;
        info.Province = Province;
        info.City = City;
        try {
            callLogWorker_->SubmitTalkLog(info);
        } catch (const std::exception& e) {
            LogError(std::string("submitting the missed call failed: ") + e.what());
        }
    }
    FireDevEvent(kEvtMissed, RingCount, TelNo);
}

void TRodiZerad::DialComplete() {
    TelNo = DialledTelNo(Digits, TelAttr);
    NumberKind = kNumberOutgoingOutside;
    FireDevEvent(kEvtNumber, kNumberOutgoingOutside,
                 NumberEventText(kNumberOutgoingOutside, TelNo, TelAttr));
    if (TelAttr.TelType == 1) {
        CompanyName = TelAttr.ServiceName;
        Province = TelAttr.Province;
        City = TelAttr.City;
        Warn().ShowCallerInfo(TelNo, Province + City, TelAttr.ServiceName, "", "", "", "", "");
    } else if (IsSignedIn() && !TelNo.empty()) {
        if (TelAttr.TelType == 2 && TelNo[0] != '0')
            TelNo = AreaCode + TelNo;
        StartCallerInfoLookup(TelNo);
    }
    EnterState(kStateTalking);
}

void TRodiZerad::ExtensionComplete() {
    RawNumber = TelNo = Digits;
    CompanyName = kInsideLine;
    Warn().ShowCallerInfo(RawNumber, kInsideLine, "", "", "", "", "", "");
    FireDevEvent(kEvtNumber, kNumberOutgoingExtension, TelNo);
    EnterState(kStateTalking);
}

void TRodiZerad::TalkStarted() {
    StartTalk = Now();
    StartRecord();
    if (CallType == kCallTypeIncoming) {
        Warn().ShowAnswered();
    } else {
        Warn().ShowCallingOut(RawNumber);
    }
    FireDevEvent(kEvtTalkStarted, CallType, RawNumber + "|" + GuidCall);
}

void TRodiZerad::TalkEnded() {
    EndTalk = Now();
    Warn().ShowHungUp();
    StopRecord();
    if (!IsSignedIn())
        return;
    LogMsg("提交上传话单请求 UserID:" + std::to_string(AgentID) + " CallerID:" + RawNumber +
           " CallType:" + CallTypeName(CallType) + " StartTalk:" + DateTimeText(StartTalk) +
           " EndTalk:" + DateTimeText(EndTalk) + " GuidCall:" + GuidCall + " VocFile:" + VocFile +
           " Company:" + CompanyName + " Name:" + ClientName + " ");
    if (callLogWorker_) {
        TTalkInfo info;
        info.EnterpriseName = EnterpriseName;
        info.UserID = AgentID;
        info.UserAccount = UserAccount;
        info.UserName = UserName;
        info.CallerID = RawNumber;
        info.UserFullCode = UserFullCode;
        info.TalkType = CallType;
        info.tmStart = StartTalk;
        info.tmEnd = EndTalk;
        info.guidVocID = GuidCall;
        info.locFile = VocFile;
        info.CompanyName = CompanyName;
        info.ClientName = ClientName;
        info.Corp = Corp;
        info.Province = Province;
        info.City = City;
        try {
            callLogWorker_->SubmitTalkLog(info);
        } catch (const std::exception& e) {
            LogError(std::string("submitting the call log failed: ") + e.what());
        }
    }
    SubmitRecording();
}

void TRodiZerad::StartCallerInfoLookup(const std::string& number) {
    if (!ports_.callerInfo)
        return;
    TCallerInfoRequest request;
    request.Host = Host;
    request.Port = Port;
    request.AgentID = AgentID;
    request.Number = number;
    request.CallSeq = CallSeq;
    request.ReplyTo = Warn().MessageHandle();
    try {
        ports_.callerInfo->RequestCallerInfo(request);
    } catch (const std::exception& e) {
        LogError(std::string("starting the caller-information lookup failed: ") + e.what());
    }
}

void TRodiZerad::HandleCallerInfoAnswer(int callSeq, const std::string& answer) {
    if (callSeq != CallSeq)
        return;  // an earlier call's answer
    FireDevEvent(kEvtCallerInfo, 0, answer);
    Province.clear();
    ClientName.clear();
    CompanyName.clear();
    Corp.clear();
    if (!answer.empty()) {
        Province = Unquoted(GetJsonField(answer, "Province"));
        City = Unquoted(GetJsonField(answer, "City"));
        ClientName = Unquoted(GetJsonField(answer, "ClientName"));
        CompanyName = Unquoted(GetJsonField(answer, "CompanyName"));
        Corp = Unquoted(GetJsonField(answer, "Corp"));
        urlHost = GetJsonField(answer, "urlHost");
        urlCaption = GetJsonField(answer, "urlCaption");
        sNote = GetJsonField(answer, "sNote");
    }
    Warn().ShowCallerInfo(RawNumber, Province + City, ClientName, CompanyName, Corp, urlHost,
                          urlCaption, sNote);
}
