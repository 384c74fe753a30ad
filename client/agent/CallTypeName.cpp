#include "client/agent/CallTypeName.h"

std::string CallTypeName(int callType) {
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
