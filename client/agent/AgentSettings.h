// The agent's settings from section BizAgent of RodiZerad.ini.
#pragma once

#include <string>

struct TAgentSettings {
    std::string Host;
    int Port = 0;
    std::string AreaCode;    // trimmed
    int LocalTelLength = 0;  // digits of a local fixed-line number
    int LineType = 0;        // 0 direct line, 1 extension behind an exchange
    std::string PrefixDTMF;  // digit dialled for an outside line (extension only)
    std::string PrefixCID;   // the exchange's prefix before an outside caller's number
    int ExtNoLen = 0;        // digits of an internal extension number
};

// Reads the settings with the agent's defaults. A line type other than 1, or
// an extension line without PrefixDTMF, counts as a direct line, and a direct
// line has no prefixes. On an error the fields read so far keep their new
// values and `error` gets the reason.
void LoadAgentSettings(TAgentSettings& settings, std::string& error);
