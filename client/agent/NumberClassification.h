// The agent's use of the dial rules: the classification state of a new call,
// a caller number in one pass, a dialled number digit by digit, and the number
// text of agent event 3. The command-line tool classifies through these too.
#pragma once

#include <string>

#include "client/numberrules/TTelRule.h"

// NumberKind of the call record and iParam of event 3.
inline constexpr int kNumberOutsideCaller = 0;
inline constexpr int kNumberInsideCaller = 1;
inline constexpr int kNumberOutgoingOutside = 2;
inline constexpr int kNumberOutgoingExtension = 3;

// The classification state at the start of a call.
TTelAttr NewCallTelAttr(const TLocalInfo& local, int localTelLength);

// Classifies an outside caller's number: type fixed line and the local area
// unless the rules say otherwise. May drop the number's leading "0". Without
// rules nothing matches.
void ClassifyIncomingNumber(const TTelRule* rules, const TLocalInfo& local, std::string& telNo,
                            TTelAttr& attr);

// Advances the classification with all digits dialled so far; true once the
// number is complete (Stage 4). Without rules a number completes only by time-out.
bool AdvanceDialledNumber(const TTelRule* rules, const std::string& digits, TTelAttr& attr);

// The number that a complete dialled number reports: the digits without what
// the rules consumed before the number part of a mobile number, or without the
// IP prefix for any other number.
std::string DialledTelNo(const std::string& digits, const TTelAttr& attr);

// The sParam of event 3: telNo alone for an inside caller and an extension;
// otherwise telNo followed by "|TelType|x" with x by number kind and type.
std::string NumberEventText(int numberKind, const std::string& telNo, const TTelAttr& attr);
