// The box's own log: one line per fact on standard error, "[caubox] " first.
#pragma once

#include <string_view>

namespace caubox {

enum class LogLevel { Error = 0, Warning = 1, Info = 2 };

// CAUBOX_LOG: 0 errors only, 1 warnings too (default), 2 everything
// (commands and notifications). Read once, at the first call.
void BoxLog(LogLevel level, std::string_view text);

}  // namespace caubox
