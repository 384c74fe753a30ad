// The DialRule.xml that ships beside the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/RuleTestSupport.h"
#include "platform/Paths.h"

namespace {

class NumberRulesShipped : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* programDir = std::getenv("QUORVEL_PROGRAM_DIR");
        ASSERT_NE(programDir, nullptr);
        TRuleLoadResult result = rule.LoadFromFile(DialRuleFilePath());
        ASSERT_TRUE(result.Ok) << result.Error;
    }
    TTelRule rule;
};

TEST_F(NumberRulesShipped, CoversChina) {
    EXPECT_GT(rule.AreaCodes().size(), 300u);
    EXPECT_GT(rule.MobilTelSegs().size(), 40u);
    EXPECT_GT(rule.ShortTelNos().size(), 30u);
    EXPECT_GE(rule.IPPrefixs().size(), 4u);
    EXPECT_GE(rule.INets().size(), 2u);
    EXPECT_EQ(rule.MobilTelLength, 11);
    EXPECT_EQ(rule.MaxAreaCodeLen, 4);
    for (const TAreaCode& area : rule.AreaCodes()) {
        EXPECT_TRUE(area.TelLength == 7 || area.TelLength == 8) << area.AreaCode;
        EXPECT_FALSE(area.Province.empty()) << area.AreaCode;
        EXPECT_FALSE(area.City.empty()) << area.AreaCode;
        EXPECT_EQ(area.AreaCode[0], '0');
    }
    const struct {
        const char* AreaCode;
        const char* Province;
        const char* City;
    } known[] = {
        {"010", "北京市", "北京市"},      {"021", "上海市", "上海市"},
        {"020", "广东省", "广州市"},      {"0755", "广东省", "深圳市"},
        {"0571", "浙江省", "杭州市"},     {"0351", "山西省", "太原市"},
        {"0471", "内蒙古", "呼和浩特市"},
    };
    for (const auto& k : known) {
        TLocalInfo info{k.AreaCode, "", ""};
        rule.FindLocalInfo(info);
        EXPECT_EQ(info.Province, k.Province) << k.AreaCode;
        EXPECT_EQ(info.City, k.City) << k.AreaCode;
    }
}

// With first match winning, an entry that an earlier one begins would never
// be found: the shipped lists have none.
template <typename Entry, typename CodeOf>
void ExpectEveryEntryReachable(const std::vector<Entry>& list, CodeOf code, const char* name) {
    std::set<std::string> earlier;
    for (const Entry& entry : list) {
        const std::string& c = code(entry);
        for (std::size_t n = 1; n <= c.size(); ++n) {
            EXPECT_EQ(earlier.count(c.substr(0, n)), 0u) << name << " " << c;
        }
        earlier.insert(c);
    }
}

TEST_F(NumberRulesShipped, NoEntryIsHiddenByAnEarlierOne) {
    ExpectEveryEntryReachable(
        rule.IPPrefixs(), [](const TIPPrefix& e) { return e.IPPrefix; }, "IPPrefixs");
    ExpectEveryEntryReachable(
        rule.ShortTelNos(), [](const TShortTelNo& e) { return e.ShortTelNo; }, "ShortTelNos");
    ExpectEveryEntryReachable(
        rule.AreaCodes(), [](const TAreaCode& e) { return e.AreaCode; }, "AreaCodes");
    ExpectEveryEntryReachable(
        rule.MobilTelSegs(), [](const TMobilTelSeg& e) { return e.CodeSeg; }, "MobilCodeSegs");
    ExpectEveryEntryReachable(
        rule.INets(), [](const TINet& e) { return e.CodeSeg; }, "iNets");
}

TEST_F(NumberRulesShipped, ClassifiesCommonNumbers) {
    TLocalInfo local{"0755", "", ""};
    rule.FindLocalInfo(local);
    const struct {
        const char* Number;
        int CompleteAt;
        int TelType;
        int NumberPos;
    } dialled[] = {
        {"110", 3, 1, 0},
        {"10086", 5, 1, 0},
        {"95588", 5, 1, 0},
        {"13800138000", 11, 3, 0},
        {"19912345678", 11, 3, 0},
        {"013800138000", 12, 3, 1},
        {"1795113800138000", 16, 3, 5},
        {"01087654321", 11, 2, 3},
        {"01012345", 8, 1, 3},
        {"057187654321", 12, 2, 4},
        {"03512345678", 11, 2, 4},
        {"86001234", 8, 2, 0},
        {"4008001234", 10, 4, 0},
        {"8008101234", 10, 4, 0},
        {"1790901087654321", 16, 2, 8},
    };
    for (const auto& d : dialled) {
        SCOPED_TRACE(d.Number);
        TDialOutcome outcome = DialDigitByDigit(rule, d.Number, FreshDialAttr(local, 8));
        EXPECT_EQ(outcome.CompleteAt, d.CompleteAt);
        EXPECT_EQ(outcome.Attr.TelType, d.TelType);
        EXPECT_EQ(outcome.Attr.NumberPos, d.NumberPos);
    }
    const struct {
        const char* Number;
        int TelType;
        const char* ServiceName;
        const char* Province;
    } callers[] = {
        {"13800138000", 3, "中国移动", ""}, {"18612345678", 3, "中国联通", ""},
        {"18912345678", 3, "中国电信", ""}, {"075595555", 1, "招商银行", "广东省"},
        {"02112345678", 2, "", "上海市"},   {"120", 1, "急救中心", "广东省"},
    };
    for (const auto& c : callers) {
        SCOPED_TRACE(c.Number);
        TTelAttr attr;
        attr.TelType = 2;
        attr.Province = local.Province;
        attr.City = local.City;
        std::string number = c.Number;
        rule.ClassifyCallerNumber(number, attr);
        EXPECT_EQ(attr.TelType, c.TelType);
        EXPECT_EQ(attr.ServiceName, c.ServiceName);
        EXPECT_EQ(attr.Province, c.Province);
    }
}

}  // namespace
