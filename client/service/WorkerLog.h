// The workers' log lines. The text log is written on the user-interface
// thread, so a worker posts each line to the message window (WM_TRD_LOG);
// while the program closes it writes the line directly instead.
#pragma once

#include <string>

// "<MSG> " + text, only when EnableLog is on.
void LogWorkerMsg(const std::string& text);
// "<WARN> " + text, always.
void LogWorkerWarn(const std::string& text);
// "<ERROR> " + text, always.
void LogWorkerError(const std::string& text);
// Hands over one finished line with its level prefix.
void PostLogLine(const std::string& line);

// Called by the closing sequence before it frees the log object: from then
// on workers drop their lines instead of writing to a freed log.
void DetachWorkerLog();
void AttachWorkerLogForTests();
