// The published numbering facts of China that the generated rule file
// carries beside the area codes: service numbers, IP dialling prefixes,
// mobile segments and network numbers.
#pragma once

#include <string>
#include <vector>

struct TCodeName {
    std::string Code;
    std::string Name;
};

struct TNetworkNumber {
    std::string Code;
    int TelLength;
    std::string Name;
};

const std::vector<TCodeName>& IPPrefixTable();
const std::vector<TCodeName>& ShortNumberTable();
// Four-digit segments come before the three-digit segment they refine.
const std::vector<TCodeName>& MobileSegmentTable();
const std::vector<TNetworkNumber>& NetworkNumberTable();

inline constexpr int kMobileNumberLength = 11;
