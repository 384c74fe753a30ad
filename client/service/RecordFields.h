// The queue-file attributes of the two record types, and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "client/agent/TTalkInfo.h"
#include "client/agent/TVocFileInfo.h"
#include "client/service/QueueFileXml.h"
#include "platform/Clock.h"

// The sixteen attributes of a call record, in the order they are written.
TFieldAttributes TalkInfoAttributes(const TTalkInfo& info);
// False with the reason when an attribute is missing or does not convert; the
// fields read until then stay in `info`.
bool TalkInfoFromFields(const TFieldValues& values, TTalkInfo& info, std::string& error);

TFieldAttributes VocFileInfoAttributes(const TVocFileInfo& info);
bool VocFileInfoFromFields(const TFieldValues& values, TVocFileInfo& info, std::string& error);

// The date-time text of the queue files: "yyyy-MM-dd HH:mm:ss".
std::string QueueDateTimeText(const platform::DateTime& t);
// Reads "yyyy-MM-dd HH:mm:ss" and the regional forms "yyyy/M/d H:mm:ss",
// "yyyy-M-d" (midnight), with optional ".zzz"; nothing else.
std::optional<platform::DateTime> ParseQueueDateTime(std::string_view text);
