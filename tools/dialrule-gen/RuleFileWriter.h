// Writes the rule lists as DialRule.xml.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/dialrule-gen/AreaCodeSource.h"
#include "tools/dialrule-gen/RuleTables.h"

struct TRuleFileContent {
    std::vector<TCodeName> IPPrefixes;
    std::vector<TCodeName> ShortNumbers;
    std::vector<TAreaRow> AreaCodes;
    std::vector<TCodeName> MobileSegments;
    int MobileNumberLength = 0;
    std::vector<TNetworkNumber> NetworkNumbers;
    std::string SourceNote;  // written as a comment at the top
};

void WriteRuleFile(const TRuleFileContent& content, std::ostream& out);

// Text safe inside a double-quoted XML attribute.
std::string XmlAttributeText(const std::string& text);
