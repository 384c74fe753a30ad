// The name of a call type in log lines.
#pragma once

#include <string>

// "空闲", "接听", "呼出", "未接来电", or "未定义的类型:" and the number.
std::string CallTypeName(int callType);
