// Classification of a number while it is dialled, one digit per call.
#include <gtest/gtest.h>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/RuleTestSupport.h"

namespace {

class NumberRulesDialled : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
        local.AreaCode = kLocalAreaCode;
        rule.FindLocalInfo(local);
    }
    TDialOutcome Dial(const std::string& number) const {
        return DialDigitByDigit(rule, number, FreshDialAttr(local, kLocalTelLength));
    }
    TTelRule rule;
    TLocalInfo local;
};

struct TDialCase {
    const char* Name;
    const char* Number;
    int CompleteAt;
    int TelType;
    int IPPrefixLen;
    int AreaCodeLen;
    int NumberPos;
    int NumberLen;
    const char* Province;  // nullptr: the local one
    const char* City;
    const char* ServiceName;
};

const TDialCase kDialCases[] = {
    // 020 is listed before 0201, and 0201... begins with both.
    {"first match wins over longest", "02012345678", 11, 2, 0, 3, 3, 8, "广东省", "广州市", ""},
    {"trunk digit skipped before a mobile", "013812345678", 12, 3, 0, 1, 1, 11, nullptr, nullptr,
     ""},
    {"IP prefix then fixed line", "1795101012345678", 16, 2, 5, 3, 8, 8, "北京市", "北京市", ""},
    // Nothing is skipped behind the prefix: the mobile number keeps its first digit.
    {"IP prefix then mobile", "1795113812345678", 16, 3, 5, 0, 5, 11, nullptr, nullptr, ""},
    {"IP prefix, trunk 0, mobile", "17951013812345678", 17, 3, 5, 1, 6, 11, nullptr, nullptr, ""},
    {"IP prefix then local number", "1791183456789", 13, 2, 5, 0, 5, 8, nullptr, nullptr, ""},
    {"short number completes early", "114", 3, 1, 0, 0, 0, 3, nullptr, nullptr, "查号台"},
    {"short number as long as an IP prefix", "10086", 5, 1, 0, 0, 0, 5, nullptr, nullptr,
     "中国移动客服"},
    {"local number without area code", "83456789", 8, 2, 0, 0, 0, 8, nullptr, nullptr, ""},
    // TelLength 3 completes while a short number could still match.
    {"local length wins over a pending short number", "0999123", 7, 2, 0, 4, 4, 3, "短号省", "",
     ""},
    {"network number", "4001234567", 10, 4, 0, 0, 0, 10, nullptr, nullptr, "400电话"},
    {"short number behind an area code", "075595555", 9, 1, 0, 4, 4, 5, "广东省", "深圳市",
     "招商银行"},
    {"area code attributes are trimmed", "075512345678", 12, 2, 0, 4, 4, 8, "广东省", "深圳市", ""},
    {"unknown area code: trunk digit skipped", "051234567", 9, 2, 0, 1, 1, 8, nullptr, nullptr, ""},
};

TEST_F(NumberRulesDialled, CompletesAtTheRightDigitWithTheRightResult) {
    ASSERT_EQ(local.Province, "广东省");
    ASSERT_EQ(local.City, "深圳市");
    for (const TDialCase& c : kDialCases) {
        SCOPED_TRACE(c.Name);
        TDialOutcome outcome = Dial(c.Number);
        const TTelAttr& attr = outcome.Attr;
        EXPECT_EQ(outcome.CompleteAt, c.CompleteAt);
        EXPECT_EQ(attr.TelType, c.TelType);
        EXPECT_EQ(attr.IPPrefixLen, c.IPPrefixLen);
        EXPECT_EQ(attr.AreaCodeLen, c.AreaCodeLen);
        EXPECT_EQ(attr.NumberPos, c.NumberPos);
        EXPECT_EQ(attr.NumberLen, c.NumberLen);
        EXPECT_EQ(attr.Province, c.Province ? c.Province : local.Province);
        EXPECT_EQ(attr.City, c.City ? c.City : local.City);
        EXPECT_EQ(attr.ServiceName, c.ServiceName);
    }
}

TEST_F(NumberRulesDialled, MobileWaitsAtStageThreeForItsLastDigit) {
    TTelAttr attr = FreshDialAttr(local, kLocalTelLength);
    const std::string number = "13812345678";
    for (std::size_t n = 1; n < number.size(); ++n) {
        rule.ClassifyDialledNumber(number.substr(0, n), attr);
    }
    EXPECT_EQ(attr.Stage, 3);
    EXPECT_EQ(attr.TelType, 3);
    rule.ClassifyDialledNumber(number, attr);
    EXPECT_EQ(attr.Stage, 4);
    rule.ClassifyDialledNumber(number + "9", attr);  // stage 4 stays put
    EXPECT_EQ(attr.Stage, 4);
    EXPECT_EQ(attr.NumberLen, 11);
}

TEST_F(NumberRulesDialled, EmptyNumberChangesNothing) {
    TTelAttr attr = FreshDialAttr(local, kLocalTelLength);
    rule.ClassifyDialledNumber("", attr);
    EXPECT_EQ(attr.Stage, 0);
    EXPECT_EQ(attr.TelType, 0);
    EXPECT_TRUE(attr.CanShort && attr.CanMobile && attr.CanINet);
}

TEST_F(NumberRulesDialled, MobileSegmentThresholdIsThreeCharacters) {
    const struct {
        const char* Text;
        int Expected;
    } cases[] = {
        {"", 0},     {"1", 0},    {"13", 0},      {"12", 0},   {"99", 0},
        {"134", 2},  {"1349", 1}, {"13491", 1},   {"1348", 2}, {"120", -1},
        {"999", -1}, {"186", 4},  {"1861234", 4}, {"x1", 0},   {"x13", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rule.MatchMobilSeg(c.Text), c.Expected) << '"' << c.Text << '"';
    }
}

TEST_F(NumberRulesDialled, LookupsAnswerUndecidedUntilTheLongestCodeIsReached) {
    TTelAttr attr;
    EXPECT_EQ(rule.MaxIPPrefixLen, 5);
    EXPECT_EQ(rule.MaxShortTelNoLen, 5);
    EXPECT_EQ(rule.MaxAreaCodeLen, 4);
    EXPECT_EQ(rule.MaxINetLen, 3);
    EXPECT_EQ(rule.MobilTelLength, 11);
    EXPECT_EQ(rule.MatchIPPrefix("1795"), 0);
    EXPECT_EQ(rule.MatchIPPrefix("17952"), -1);
    EXPECT_EQ(rule.MatchIPPrefix("179110"), 5);
    EXPECT_EQ(rule.MatchAreaCode("075", attr), 0);
    EXPECT_EQ(rule.MatchAreaCode("0756", attr), -1);
    EXPECT_EQ(rule.MatchShortTelNo("1100", attr), 3);
    EXPECT_EQ(attr.ServiceName, "报警电话");
    EXPECT_EQ(rule.MatchINet("80", attr), 0);
    EXPECT_EQ(rule.MatchINet("8001", attr), 10);
    EXPECT_EQ(attr.ServiceName, "");  // absent ServiceName reads as empty
    EXPECT_EQ(rule.MatchINet("801", attr), -1);
}

TEST_F(NumberRulesDialled, FindLocalInfoMatchesTheWholeAreaCode) {
    const struct {
        const char* AreaCode;
        const char* Province;
        const char* City;
    } cases[] = {
        {"0755", "广东省", "深圳市"},
        {"020", "广东省", "广州市"},
        {"0201", "后列省", "后列市"},
        {"02", "", ""},
        {"0000", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        TLocalInfo info;
        info.AreaCode = c.AreaCode;
        rule.FindLocalInfo(info);
        EXPECT_EQ(info.Province, c.Province) << c.AreaCode;
        EXPECT_EQ(info.City, c.City) << c.AreaCode;
    }
    TLocalInfo kept{"0000", "旧省", "旧市"};
    rule.FindLocalInfo(kept);
    EXPECT_EQ(kept.Province, "旧省");
    EXPECT_EQ(kept.City, "旧市");
}

TEST(NumberRulesWithoutINets, NetworkLookupAnswersNoMatch) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromMemory(
        "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"报警\"/></ShortTelNos>"
        "<MobilCodeSegs TelLength=\"11\"><i CodeSeg=\"138\" "
        "ServiceName=\"m\"/></MobilCodeSegs></r>"));
    TTelAttr attr;
    EXPECT_EQ(rule.MaxINetLen, 0);
    for (const char* text : {"4", "400", "4001234567", "8"}) {
        EXPECT_EQ(rule.MatchINet(text, attr), -1) << text;
    }
    // A dialled 400 number is then a local number of the configured length.
    TDialOutcome outcome = DialDigitByDigit(rule, "4001234567", FreshDialAttr({}, 8));
    EXPECT_EQ(outcome.CompleteAt, 8);
    EXPECT_EQ(outcome.Attr.TelType, 2);
}

}  // namespace
