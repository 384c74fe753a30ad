#include "client/numberrules/TTelRule.h"

#include "platform/Paths.h"

class TTelRule::TPrefixIndex {};

TTelRule::TTelRule() = default;
TTelRule::~TTelRule() = default;

TRuleLoadResult TTelRule::LoadFromFile(const std::string& path) {
    return {false, "not implemented: " + path};
}
TRuleLoadResult TTelRule::LoadFromMemory(std::string_view, const std::string& name) {
    return {false, "not implemented: " + name};
}
void TTelRule::FindLocalInfo(TLocalInfo&) const {}
void TTelRule::ClassifyDialledNumber(const std::string&, TTelAttr&) const {}
void TTelRule::ClassifyCallerNumber(std::string&, TTelAttr&) const {}
int TTelRule::MatchIPPrefix(std::string_view) const {
    return -1;
}
int TTelRule::MatchShortTelNo(std::string_view, TTelAttr&) const {
    return -1;
}
int TTelRule::MatchAreaCode(std::string_view, TTelAttr&) const {
    return -1;
}
int TTelRule::MatchINet(std::string_view, TTelAttr&) const {
    return -1;
}
int TTelRule::MatchMobilSeg(std::string_view) const {
    return -1;
}
void TTelRule::Clear() {}

std::string DialRuleFilePath() {
    return platform::JoinPath(platform::ProgramFolder(), kDialRuleFileName);
}
