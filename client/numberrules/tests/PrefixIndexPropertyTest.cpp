// The indexed lookups answer exactly what a scan of the lists in file order
// answers, on random rule files and random texts.
#include <gtest/gtest.h>

#include <random>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/SyntheticRules.h"

namespace {

// The plain reading of the rules: scan the list, the first entry whose code
// the text begins with wins; an empty code matches nothing.
template <typename Entry, typename CodeOf>
long ScanFirstMatch(const std::vector<Entry>& list, std::string_view text, CodeOf code) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& c = code(list[i]);
        if (!c.empty() && text.size() >= c.size() && text.compare(0, c.size(), c) == 0) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

template <typename Entry, typename CodeOf>
int ScanMaxLength(const std::vector<Entry>& list, CodeOf code) {
    std::size_t longest = 0;
    for (const Entry& entry : list) {
        longest = std::max(longest, code(entry).size());
    }
    return static_cast<int>(longest);
}

int Undecided(std::string_view text, int maxLength) {
    return text.size() >= static_cast<std::size_t>(maxLength) ? -1 : 0;
}

const auto kIPCode = [](const TIPPrefix& e) -> const std::string& { return e.IPPrefix; };
const auto kShortCode = [](const TShortTelNo& e) -> const std::string& { return e.ShortTelNo; };
const auto kAreaCode = [](const TAreaCode& e) -> const std::string& { return e.AreaCode; };
const auto kSegCode = [](const TMobilTelSeg& e) -> const std::string& { return e.CodeSeg; };
const auto kINetCode = [](const TINet& e) -> const std::string& { return e.CodeSeg; };

void ExpectLookupsMatchScan(const TTelRule& rule, std::string_view text) {
    SCOPED_TRACE(std::string("text \"") + std::string(text) + "\"");
    {
        long i = ScanFirstMatch(rule.IPPrefixs(), text, kIPCode);
        int expected = i >= 0 ? static_cast<int>(rule.IPPrefixs()[i].IPPrefix.size())
                              : Undecided(text, ScanMaxLength(rule.IPPrefixs(), kIPCode));
        EXPECT_EQ(rule.MatchIPPrefix(text), expected);
    }
    {
        TTelAttr attr;
        attr.ServiceName = "before";
        long i = ScanFirstMatch(rule.ShortTelNos(), text, kShortCode);
        int expected = i >= 0 ? static_cast<int>(rule.ShortTelNos()[i].ShortTelNo.size())
                              : Undecided(text, ScanMaxLength(rule.ShortTelNos(), kShortCode));
        EXPECT_EQ(rule.MatchShortTelNo(text, attr), expected);
        EXPECT_EQ(attr.ServiceName, i >= 0 ? rule.ShortTelNos()[i].ServiceName : "before");
    }
    {
        TTelAttr attr;
        attr.TelLength = -7;
        long i = ScanFirstMatch(rule.AreaCodes(), text, kAreaCode);
        int expected = i >= 0 ? static_cast<int>(rule.AreaCodes()[i].AreaCode.size())
                              : Undecided(text, ScanMaxLength(rule.AreaCodes(), kAreaCode));
        EXPECT_EQ(rule.MatchAreaCode(text, attr), expected);
        EXPECT_EQ(attr.TelLength, i >= 0 ? rule.AreaCodes()[i].TelLength : -7);
        EXPECT_EQ(attr.City, i >= 0 ? rule.AreaCodes()[i].City : "");
    }
    {
        long i = ScanFirstMatch(rule.MobilTelSegs(), text, kSegCode);
        int expected = i >= 0 ? static_cast<int>(i) + 1 : (text.size() > 2 ? -1 : 0);
        EXPECT_EQ(rule.MatchMobilSeg(text), expected);
    }
    {
        TTelAttr attr;
        long i = ScanFirstMatch(rule.INets(), text, kINetCode);
        int expected = i >= 0 ? rule.INets()[i].TelLength
                              : Undecided(text, ScanMaxLength(rule.INets(), kINetCode));
        EXPECT_EQ(rule.MatchINet(text, attr), expected);
        EXPECT_EQ(attr.ServiceName, i >= 0 ? rule.INets()[i].ServiceName : "");
    }
}

// Codes over a small alphabet so that prefixes, duplicates and codes that
// begin other codes are common; blank codes trim to nothing.
std::string RandomCode(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 6), digit(0, 3), blank(0, 30);
    if (blank(random) == 0) {
        return " ";
    }
    std::string code;
    for (int n = length(random) % 6 + 1; n > 0; --n) {
        code += static_cast<char>('0' + digit(random));
    }
    return code;
}

std::string RandomRuleDocument(std::mt19937& random) {
    std::uniform_int_distribution<int> count(0, 40), telLength(0, 12);
    std::string xml = "<DialRule>";
    auto list = [&](const char* name, const char* head, auto entry) {
        xml += std::string("<") + name + head + ">";
        for (int n = count(random); n > 0; --n) {
            xml += "<i " + entry(n) + "/>";
        }
        xml += std::string("</") + name + ">";
    };
    list("IPPrefixs", "", [&](int n) {
        return "IPPrefix=\"" + RandomCode(random) + "\" ServiceName=\"ip" + std::to_string(n) +
               "\"";
    });
    list("ShortTelNos", "", [&](int n) {
        return "ShortTelNo=\"" + RandomCode(random) + "\" ServiceName=\"s" + std::to_string(n) +
               "\"";
    });
    list("AreaCodes", "", [&](int n) {
        return "AreaCode=\"" + RandomCode(random) + "\" TelLength=\"" +
               std::to_string(telLength(random)) + "\" Province=\"p\" City=\"c" +
               std::to_string(n) + "\"";
    });
    list("MobilCodeSegs", " TelLength=\"11\"", [&](int n) {
        return "CodeSeg=\"" + RandomCode(random) + "\" ServiceName=\"m" + std::to_string(n) + "\"";
    });
    list("iNets", "", [&](int n) {
        return "CodeSeg=\"" + RandomCode(random) + "\" TelLength=\"" +
               std::to_string(telLength(random)) + "\" ServiceName=\"n" + std::to_string(n) + "\"";
    });
    return xml + "</DialRule>";
}

TEST(NumberRulesIndex, LookupsEqualAFileOrderScanOnRandomRuleFiles) {
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> textLength(0, 9), symbol(0, 5);
    for (int file = 0; file < 300; ++file) {
        TTelRule rule;
        const std::string document = RandomRuleDocument(random);
        ASSERT_TRUE(rule.LoadFromMemory(document)) << document;
        EXPECT_EQ(rule.MaxIPPrefixLen, ScanMaxLength(rule.IPPrefixs(), kIPCode));
        EXPECT_EQ(rule.MaxShortTelNoLen, ScanMaxLength(rule.ShortTelNos(), kShortCode));
        EXPECT_EQ(rule.MaxAreaCodeLen, ScanMaxLength(rule.AreaCodes(), kAreaCode));
        EXPECT_EQ(rule.MaxINetLen, ScanMaxLength(rule.INets(), kINetCode));
        for (int t = 0; t < 300; ++t) {
            std::string text;
            for (int n = textLength(random); n > 0; --n) {
                text += "01234x"[symbol(random)];
            }
            ExpectLookupsMatchScan(rule, text);
            if (HasFailure()) {
                FAIL() << "rule file: " << document;
            }
        }
    }
}

TEST(NumberRulesIndex, FullSizeTableAgreesWithTheScan) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromMemory(SyntheticRuleDocument(500000, 3000)));
    ASSERT_EQ(rule.MobilTelSegs().size(), 500000u);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> segment(0, 520000), area(0, 3100), tail(0, 9999);
    for (int n = 0; n < 200; ++n) {
        ExpectLookupsMatchScan(rule,
                               SyntheticMobilSeg(segment(random)) + std::to_string(tail(random)));
        ExpectLookupsMatchScan(rule,
                               SyntheticAreaCode(area(random)) + std::to_string(tail(random)));
    }
    // The last segment, found without a scan, is position 500000.
    EXPECT_EQ(rule.MatchMobilSeg(SyntheticMobilSeg(499999) + "1234"), 500000);
}

}  // namespace
