// Checks and splits one line of the control protocol.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace caubox {

// Longest command line the box takes, without its line end.
inline constexpr std::size_t kMaxControlLine = 1024;

// Empty when the line is acceptable text; else the reason to refuse it
// (control characters other than tab, invalid UTF-8).
std::string CheckControlLine(std::string_view line);

struct ControlCommand {
    std::string name;      // the first word, lower case
    std::string argument;  // the rest of the line, trimmed
};

// Splits at the first run of blanks; leading and trailing blanks are dropped.
ControlCommand SplitControlLine(std::string_view line);

}  // namespace caubox
