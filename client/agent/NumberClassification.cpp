#include "client/agent/NumberClassification.h"

#include <algorithm>
#include <cstdio>

TTelAttr NewCallTelAttr(const TLocalInfo& local, int localTelLength) {
    TTelAttr attr;
    attr.Stage = 0;
    attr.TelType = 0;
    attr.CanShort = attr.CanMobile = attr.CanINet = true;
    attr.IPPrefixLen = attr.AreaCodeLen = attr.NumberPos = attr.NumberLen = 0;
    attr.Province = local.Province;
    attr.City = local.City;
    attr.ServiceName.clear();
    attr.TelLength = localTelLength;
    return attr;
}

void ClassifyIncomingNumber(const TTelRule* rules, const TLocalInfo& local, std::string& telNo,
                            TTelAttr& attr) {
    attr.TelType = 2;
    attr.Province = local.Province;
    attr.City = local.City;
    if (rules)
        rules->ClassifyCallerNumber(telNo, attr);
}

bool AdvanceDialledNumber(const TTelRule* rules, const std::string& digits, TTelAttr& attr) {
    if (rules)
        rules->ClassifyDialledNumber(digits, attr);
    return attr.Stage == 4;
}

std::string DialledTelNo(const std::string& digits, const TTelAttr& attr) {
    const int consumed = attr.TelType == 3 ? attr.NumberPos : attr.IPPrefixLen;
    const std::size_t k = static_cast<std::size_t>(std::max(consumed, 0));
    return k >= digits.size() ? std::string() : digits.substr(k);
}

namespace {
std::string TypeAndName(int telType, const std::string& name) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "|%d|", telType);
    return buf + name;
}
}  // namespace

std::string NumberEventText(int numberKind, const std::string& telNo, const TTelAttr& attr) {
    switch (numberKind) {
        case kNumberOutsideCaller:
            if (attr.TelType == 1)
                return telNo + TypeAndName(1, attr.ServiceName);
            return telNo + TypeAndName(attr.TelType, attr.Province + attr.City + attr.ServiceName);
        case kNumberOutgoingOutside:
            return telNo + TypeAndName(attr.TelType, attr.ServiceName.empty()
                                                         ? attr.Province + attr.City
                                                         : attr.ServiceName);
        default:
            return telNo;
    }
}
