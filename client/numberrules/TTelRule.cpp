#include "client/numberrules/TTelRule.h"

#include <exception>

#include "client/numberrules/PrefixIndex.h"
#include "client/numberrules/RuleReader.h"
#include "client/shell/TxtLog.h"
#include "platform/Paths.h"

namespace {

// The answer of a lookup that found nothing: -1 once the text is as long as
// the longest code, so that no code can match any more, else 0 (undecided).
int NoMatch(std::string_view text, int maxLength) {
    return text.size() >= static_cast<std::size_t>(maxLength) ? -1 : 0;
}

std::string_view RestOf(std::string_view text, int position) {
    return position <= 0 ? text : text.substr(std::min<std::size_t>(text.size(), position));
}

bool HasLength(std::string_view text, int position, int length) {
    return static_cast<long long>(text.size()) >=
           static_cast<long long>(position) + static_cast<long long>(length);
}

template <typename Entry, typename CodeOf>
std::unique_ptr<TPrefixIndex> IndexOf(const std::vector<Entry>& entries, CodeOf code,
                                      int& maxLength, int& emptyCodes) {
    std::vector<std::string_view> codes;
    codes.reserve(entries.size());
    maxLength = 0;
    for (const Entry& entry : entries) {
        const std::string& text = code(entry);
        codes.push_back(text);
        maxLength = std::max(maxLength, static_cast<int>(text.size()));
        emptyCodes += text.empty() ? 1 : 0;
    }
    return std::make_unique<TPrefixIndex>(codes);
}

void WarnEmptyCodes(const std::string& name, const char* list, int count) {
    if (count > 0) {
        LogWarn(name + ": " + std::to_string(count) + " entries of \"" + list +
                "\" have an empty code and match nothing");
    }
}

}  // namespace

TTelRule::TTelRule() {
    TRuleLists none;
    Install({}, none, "");
}

TTelRule::~TTelRule() = default;

TRuleLoadResult TTelRule::LoadFromFile(const std::string& path) {
    TRuleLists lists;
    TRuleLoadResult result;
    try {
        result = ReadRuleFile(path, lists);
    } catch (const std::exception& e) {  // out of memory on an absurd file
        lists = TRuleLists();
        result = {false, path + ": " + e.what()};
    }
    return Install(std::move(result), lists, path);
}

TRuleLoadResult TTelRule::LoadFromMemory(std::string_view document, const std::string& name) {
    TRuleLists lists;
    TRuleLoadResult result;
    try {
        result = ReadRuleDocument(document, name, lists);
    } catch (const std::exception& e) {
        lists = TRuleLists();
        result = {false, name + ": " + e.what()};
    }
    return Install(std::move(result), lists, name);
}

TRuleLoadResult TTelRule::Install(TRuleLoadResult result, TRuleLists& lists,
                                  const std::string& name) {
    ipPrefixs_ = std::move(lists.IPPrefixs);
    shortTelNos_ = std::move(lists.ShortTelNos);
    areaCodes_ = std::move(lists.AreaCodes);
    mobilTelSegs_ = std::move(lists.MobilTelSegs);
    iNets_ = std::move(lists.INets);
    MobilTelLength = lists.MobilTelLength;

    int emptyIPPrefixs = 0, emptyShortTelNos = 0, emptyAreaCodes = 0, emptyMobilSegs = 0,
        emptyINets = 0;
    int unbounded = 0;  // the mobile segments use a fixed threshold, not a maximum
    ipPrefixIndex_ = IndexOf(
        ipPrefixs_, [](const TIPPrefix& e) -> const std::string& { return e.IPPrefix; },
        MaxIPPrefixLen, emptyIPPrefixs);
    shortTelNoIndex_ = IndexOf(
        shortTelNos_, [](const TShortTelNo& e) -> const std::string& { return e.ShortTelNo; },
        MaxShortTelNoLen, emptyShortTelNos);
    areaCodeIndex_ = IndexOf(
        areaCodes_, [](const TAreaCode& e) -> const std::string& { return e.AreaCode; },
        MaxAreaCodeLen, emptyAreaCodes);
    mobilSegIndex_ = IndexOf(
        mobilTelSegs_, [](const TMobilTelSeg& e) -> const std::string& { return e.CodeSeg; },
        unbounded, emptyMobilSegs);
    iNetIndex_ = IndexOf(
        iNets_, [](const TINet& e) -> const std::string& { return e.CodeSeg; }, MaxINetLen,
        emptyINets);

    // After a bad entry the empty entries are expected; the error says why.
    if (result.Ok) {
        WarnEmptyCodes(name, "IPPrefixs", emptyIPPrefixs);
        WarnEmptyCodes(name, "ShortTelNos", emptyShortTelNos);
        WarnEmptyCodes(name, "AreaCodes", emptyAreaCodes);
        WarnEmptyCodes(name, "MobilCodeSegs", emptyMobilSegs);
        WarnEmptyCodes(name, "iNets", emptyINets);
    }
    return result;
}

void TTelRule::FindLocalInfo(TLocalInfo& info) const {
    if (info.AreaCode.empty()) {
        return;
    }
    for (const TAreaCode& entry : areaCodes_) {
        if (entry.AreaCode == info.AreaCode) {
            info.Province = entry.Province;
            info.City = entry.City;
            return;
        }
    }
}

int TTelRule::MatchIPPrefix(std::string_view text) const {
    long found = ipPrefixIndex_->FirstMatch(text);
    if (found < 0) {
        return NoMatch(text, MaxIPPrefixLen);
    }
    return static_cast<int>(ipPrefixs_[found].IPPrefix.size());
}

int TTelRule::MatchShortTelNo(std::string_view text, TTelAttr& attr) const {
    long found = shortTelNoIndex_->FirstMatch(text);
    if (found < 0) {
        return NoMatch(text, MaxShortTelNoLen);
    }
    const TShortTelNo& entry = shortTelNos_[found];
    attr.ServiceName = entry.ServiceName;
    return static_cast<int>(entry.ShortTelNo.size());
}

int TTelRule::MatchAreaCode(std::string_view text, TTelAttr& attr) const {
    long found = areaCodeIndex_->FirstMatch(text);
    if (found < 0) {
        return NoMatch(text, MaxAreaCodeLen);
    }
    const TAreaCode& entry = areaCodes_[found];
    attr.TelLength = entry.TelLength;
    attr.Province = entry.Province;
    attr.City = entry.City;
    return static_cast<int>(entry.AreaCode.size());
}

int TTelRule::MatchINet(std::string_view text, TTelAttr& attr) const {
    long found = iNetIndex_->FirstMatch(text);
    if (found < 0) {
        return NoMatch(text, MaxINetLen);
    }
    const TINet& entry = iNets_[found];
    attr.TelLength = entry.TelLength;
    attr.ServiceName = entry.ServiceName;
    return entry.TelLength;
}

int TTelRule::MatchMobilSeg(std::string_view text) const {
    long found = mobilSegIndex_->FirstMatch(text);
    if (found < 0) {
        return text.size() >= static_cast<std::size_t>(kMobilSegThreshold) ? -1 : 0;
    }
    return static_cast<int>(found) + 1;
}

void TTelRule::ClassifyDialledNumber(const std::string& number, TTelAttr& attr) const {
    if (number.empty()) {
        return;
    }
    const std::string_view text(number);
    for (;;) {
        switch (attr.Stage) {
            case 0: {
                if (text[0] == '0') {
                    attr.Stage = 1;
                    continue;
                }
                int prefix = MatchIPPrefix(text);
                if (prefix > 0) {
                    attr.IPPrefixLen = prefix;
                    attr.NumberPos = prefix;
                    attr.Stage = 1;
                    continue;
                }
                if (prefix < 0) {
                    attr.Stage = 2;
                    continue;
                }
                int shortLength = MatchShortTelNo(text, attr);
                if (shortLength > 0) {
                    attr.TelType = 1;
                    attr.Stage = 4;
                    attr.NumberLen = shortLength;
                }
                return;
            }
            case 1: {
                std::string_view rest = RestOf(text, attr.NumberPos);
                int area = MatchAreaCode(rest, attr);
                if (area == 0) {
                    return;
                }
                // No area code fits: skip the trunk digit. Behind an IP prefix
                // without a trunk "0" nothing is skipped, so that a mobile or
                // local number keeps its first digit.
                const bool trunkDigit = !rest.empty() && rest[0] == '0';
                attr.AreaCodeLen = area > 0 ? area : (trunkDigit ? 1 : 0);
                attr.NumberPos += attr.AreaCodeLen;
                attr.Stage = 2;
                continue;
            }
            case 2: {
                std::string_view rest = RestOf(text, attr.NumberPos);
                if (attr.CanMobile) {
                    int segment = MatchMobilSeg(rest);
                    if (segment > 0) {
                        attr.Stage = 3;
                        attr.TelType = 3;
                        attr.NumberLen = MobilTelLength;
                        return;
                    }
                    attr.CanMobile = segment == 0;
                }
                if (attr.CanINet) {
                    int length = MatchINet(rest, attr);
                    if (length > 0) {
                        attr.Stage = 3;
                        attr.TelType = 4;
                        attr.NumberLen = length;
                        return;
                    }
                    attr.CanINet = length == 0;
                }
                if (attr.CanShort) {
                    int length = MatchShortTelNo(rest, attr);
                    if (length > 0) {
                        attr.Stage = 4;
                        attr.TelType = 1;
                        attr.NumberLen = length;
                        return;
                    }
                    attr.CanShort = length == 0;
                }
                if (HasLength(text, attr.NumberPos, attr.TelLength)) {
                    attr.NumberLen = attr.TelLength;
                    attr.TelType = 2;
                    attr.Stage = 4;
                }
                return;
            }
            case 3:
                if (HasLength(text, attr.NumberPos, attr.NumberLen)) {
                    attr.Stage = 4;
                }
                return;
            default:
                return;
        }
    }
}

void TTelRule::ClassifyCallerNumber(std::string& number, TTelAttr& attr) const {
    attr.IPPrefixLen = 0;
    attr.AreaCodeLen = 0;
    attr.NumberPos = 0;
    attr.NumberLen = 0;
    if (number.empty()) {
        return;
    }
    const std::string_view text(number);
    if (text[0] == '0') {
        int area = MatchAreaCode(text, attr);
        if (area > 0) {
            attr.AreaCodeLen = area;
            attr.NumberPos += area;
            // A short service number behind the area code, such as 0755 + 95555.
            if (static_cast<long long>(text.size()) <=
                static_cast<long long>(MaxShortTelNoLen) + attr.NumberPos) {
                long found = shortTelNoIndex_->FirstMatch(RestOf(text, attr.NumberPos));
                if (found >= 0) {
                    attr.ServiceName = shortTelNos_[found].ServiceName;
                    attr.TelType = 1;
                }
            }
            return;
        }
        long segment = mobilSegIndex_->FirstMatch(text.substr(1));
        if (segment >= 0) {
            attr.TelType = 3;
            attr.Province.clear();
            attr.City.clear();
            attr.ServiceName = mobilTelSegs_[segment].ServiceName;
            number.erase(0, 1);
        }
        return;
    }
    int shortLength = MatchShortTelNo(text, attr);
    if (shortLength > 0) {
        attr.TelType = 1;
        attr.NumberPos = shortLength;
        return;
    }
    long segment = mobilSegIndex_->FirstMatch(text);
    if (segment >= 0) {
        attr.TelType = 3;
        attr.Province.clear();
        attr.City.clear();
        attr.ServiceName = mobilTelSegs_[segment].ServiceName;
    }
}

std::string DialRuleFilePath() {
    return platform::JoinPath(platform::ProgramFolder(), kDialRuleFileName);
}
