// Reads the five lists of a rule document with libxml2's streaming reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/numberrules/TTelRule.h"

struct TRuleLists {
    std::vector<TIPPrefix> IPPrefixs;
    std::vector<TShortTelNo> ShortTelNos;
    std::vector<TAreaCode> AreaCodes;
    std::vector<TMobilTelSeg> MobilTelSegs;
    std::vector<TINet> INets;
    int MobilTelLength = 0;
};

// Each reads the lists in the order IPPrefixs, ShortTelNos, AreaCodes,
// MobilCodeSegs, iNets. A document that cannot be read or is not well-formed
// leaves every list empty. A bad entry stops reading there: the lists before
// it are complete, its own list keeps its length with the entries from the
// bad one on empty, and the lists after it stay empty.
TRuleLoadResult ReadRuleFile(const std::string& path, TRuleLists& lists);
TRuleLoadResult ReadRuleDocument(std::string_view document, const std::string& name,
                                 TRuleLists& lists);
