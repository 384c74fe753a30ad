// The text lines of quorvel-cli agent: agent events out, simulator commands in.
#pragma once

#include <string>

// "MyEvt<TAB>iParam<TAB>sParam" without the line end. In sParam a backslash,
// tab, line feed and carriage return are written as \\, \t, \n and \r, so
// that every event stays one line of three fields.
std::string FormatEventLine(int myEvt, int iParam, const std::string& sParam);

// "sim KIND TEXT": KIND a decimal integer, TEXT everything after the one space
// that follows it (possibly empty; "sim 3" is "sim 3 "). A trailing carriage
// return is ignored. False for any other line, with the reason in `error`.
bool ParseSimCommand(const std::string& line, int& kind, std::string& text, std::string& error);
