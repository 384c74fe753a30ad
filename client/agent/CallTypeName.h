// The name of a call type in log lines. Header-only so the service, which
// includes agent headers without linking the agent, can use it too.
#pragma once

#include <string>

// "空闲", "接听", "呼出", "未接来电", or "未定义的类型:" and the number.
inline std::string CallTypeName(int callType) {
    switch (callType) {
        case 0:
            return "空闲";
        case 1:
            return "接听";
        case 2:
            return "呼出";
        case 11:
            return "未接来电";
        default:
            return "未定义的类型:" + std::to_string(callType);
    }
}
