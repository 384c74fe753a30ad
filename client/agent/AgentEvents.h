// The agent events (OnDevEvent) and the status texts they carry.
#pragma once

#include <functional>
#include <string>

// OnDevEvent: (MyEvt, iParam, sParam).
using TDevEvent = std::function<void(int MyEvt, int iParam, const std::string& sParam)>;
using TOnShowMain = std::function<void()>;

// MyEvt codes.
inline constexpr int kEvtDeviceStatus = 1;  // iParam: status code below
inline constexpr int kEvtRing = 2;          // RingCount, TelNo
inline constexpr int kEvtNumber = 3;        // NumberKind, number text
inline constexpr int kEvtCallerInfo = 4;    // 0, answer text
inline constexpr int kEvtOffHook = 5;       // CallType (2), ""
inline constexpr int kEvtRecording = 6;     // 0, GuidCall|VocFileName
inline constexpr int kEvtHangUp = 7;        // CallType, ""
inline constexpr int kEvtDigit = 8;         // CallType, the digit
inline constexpr int kEvtMissed = 9;        // RingCount, TelNo
inline constexpr int kEvtTalkStarted = 10;  // CallType, RawNumber|GuidCall
inline constexpr int kEvtSignIn = 11;       // State, answer
inline constexpr int kEvtSignOut = 12;      // AgentID, State

// iParam of kEvtDeviceStatus; a device status s is reported as 100 + s.
inline constexpr int kStatusInitStart = 10;
inline constexpr int kStatusLoadFailed = 15;
inline constexpr int kStatusNoChannel = 16;
inline constexpr int kStatusInitError = 17;
inline constexpr int kStatusNoVocFileName = 18;
inline constexpr int kStatusRecordFailed = 19;
inline constexpr int kStatusDeviceBase = 100;

inline constexpr const char* kTextInitStart = "准备初始化设备";
inline constexpr const char* kTextLoadFailed = "装载虚设备Dll失败";
inline constexpr const char* kTextNoChannel = "通道总数为0错误";
inline constexpr const char* kTextWaitForBox = "初始化失败,请重新插入Tallisk盒";
inline constexpr const char* kTextNoDevOpen = "Dll_DevOpen 函数不存在.";
inline constexpr const char* kTextNoVocFileName = "录音文件名为空";
inline constexpr const char* kTextRecordFailed = "设备层启动录音失败";
