// Text helpers used everywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace platform {

// Removes leading and trailing spaces and control characters (bytes <= 0x20).
std::string Trim(std::string_view s);

// Formats a date-time with the patterns of the original design:
// "yyyy" "yy" year, "mm" month (minutes after "hh" or "h"), "nn" minutes,
// "dd" day, "hh" hour, "ss" seconds, "zzz" milliseconds; "MM", "HH" as in
// "yyyy-MM-dd HH:mm:ss". Other characters are copied.
std::string FormatDateTime(std::string_view pattern, const DateTime& t);

// Decimal integer with optional sign, surrounding blanks allowed; anything
// else (empty, trailing text, out of range) gives the default.
int StrToIntDef(std::string_view s, int defaultValue);
std::optional<long long> ParseInt64(std::string_view s);

// A new random GUID in the platform text form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string NewGuidString();

bool IsValidUtf8(std::string_view s);
// Replaces every invalid UTF-8 sequence with U+FFFD.
std::string SanitizeUtf8(std::string_view s);

}  // namespace platform
