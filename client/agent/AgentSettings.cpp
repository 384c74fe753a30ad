#include "client/agent/AgentSettings.h"

#include <exception>

#include "client/shell/Configuration.h"
#include "platform/Text.h"

void LoadAgentSettings(TAgentSettings& s, std::string& error) {
    try {
        s.Host = IniReadString(kSectionBizAgent, "Host", kDefaultServiceHost);
        s.Port = IniReadInteger(kSectionBizAgent, "Port", kDefaultServicePort);
        s.AreaCode = platform::Trim(IniReadString(kSectionBizAgent, "AreaCode", "0755"));
        s.LocalTelLength = IniReadInteger(kSectionBizAgent, "LocalTelLength", 8);
        s.LineType = IniReadInteger(kSectionBizAgent, "LineType", 0) == 1 ? 1 : 0;
        if (s.LineType == 1) {
            s.PrefixDTMF = platform::Trim(IniReadString(kSectionBizAgent, "PrefixDTMF", ""));
            if (s.PrefixDTMF.empty())
                s.LineType = 0;
            s.PrefixCID = platform::Trim(IniReadString(kSectionBizAgent, "PrefixCID", ""));
        } else {
            s.PrefixDTMF.clear();
            s.PrefixCID.clear();
        }
        s.ExtNoLen = IniReadInteger(kSectionBizAgent, "ExtNoLen", 0);
    } catch (const std::exception& e) {
        error = e.what();
    }
}
