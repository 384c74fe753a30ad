// Checks on the texts that reach the line state machine from the device
// library or the phone simulator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Longer texts are cut: no caller number or status text comes near it.
inline constexpr std::size_t kMaxLineTextLength = 128;

// The text as the agent keeps it: invalid UTF-8 sequences replaced by U+FFFD
// and cut to kMaxLineTextLength bytes at a character boundary. When anything
// was changed, `note` says what (for the log); otherwise it is left alone.
std::string CleanLineText(std::string_view text, std::string& note);

// One DTMF key: 0-9, *, #, A-D (either case).
bool IsDtmfDigit(std::string_view text);
