// Classification of a complete caller number.
#include <gtest/gtest.h>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/RuleTestSupport.h"

namespace {

struct TCallerCase {
    const char* Name;
    const char* Number;
    const char* NumberAfter;
    int TelType;
    const char* Province;  // nullptr: the local one
    const char* City;
    const char* ServiceName;
    int AreaCodeLen;
    int NumberPos;
};

const TCallerCase kCallerCases[] = {
    {"a caller number loses its leading 0", "013812345678", "13812345678", 3, "", "", "中国移动", 0,
     0},
    {"first listed segment wins", "013491234567", "13491234567", 3, "", "", "中国卫通", 0, 0},
    {"unknown area, no segment", "0512345678", "0512345678", 2, nullptr, nullptr, "", 0, 0},
    {"first area code wins over longest", "02012345678", "02012345678", 2, "广东省", "广州市", "",
     3, 3},
    {"short number behind an area code", "075595555", "075595555", 1, "广东省", "深圳市",
     "招商银行", 4, 4},
    {"too long for a short number behind the area", "0755955551234", "0755955551234", 2, "广东省",
     "深圳市", "", 4, 4},
    {"short number", "10086", "10086", 1, nullptr, nullptr, "中国移动客服", 0, 5},
    {"mobile number", "18612345678", "18612345678", 3, "", "", "中国联通", 0, 0},
    {"local number", "83456789", "83456789", 2, nullptr, nullptr, "", 0, 0},
    {"unlisted segment", "13912345678", "13912345678", 2, nullptr, nullptr, "", 0, 0},
};

TEST(NumberRulesCaller, ClassifiesInOnePass) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    TLocalInfo local{kLocalAreaCode, "", ""};
    rule.FindLocalInfo(local);
    for (const TCallerCase& c : kCallerCases) {
        SCOPED_TRACE(c.Name);
        TTelAttr attr;
        attr.TelType = 2;
        attr.Province = local.Province;
        attr.City = local.City;
        attr.IPPrefixLen = 9;  // left over from an earlier call: reset
        attr.NumberLen = 9;
        std::string number = c.Number;
        rule.ClassifyCallerNumber(number, attr);
        EXPECT_EQ(number, c.NumberAfter);
        EXPECT_EQ(attr.TelType, c.TelType);
        EXPECT_EQ(attr.Province, c.Province ? c.Province : local.Province);
        EXPECT_EQ(attr.City, c.City ? c.City : local.City);
        EXPECT_EQ(attr.ServiceName, c.ServiceName);
        EXPECT_EQ(attr.AreaCodeLen, c.AreaCodeLen);
        EXPECT_EQ(attr.NumberPos, c.NumberPos);
        EXPECT_EQ(attr.IPPrefixLen, 0);
        EXPECT_EQ(attr.NumberLen, 0);
    }
}

TEST(NumberRulesCaller, AreaCodeCarriesItsLocalLength) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    TTelAttr attr;
    attr.TelType = 2;
    attr.TelLength = 8;
    std::string number = "03512345678";
    rule.ClassifyCallerNumber(number, attr);
    EXPECT_EQ(attr.TelLength, 7);
    EXPECT_EQ(attr.Province, "山西省");
    EXPECT_EQ(attr.City, "太原市");
}

TEST(NumberRulesCaller, EmptyNumberKeepsTheStartingValues) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    TTelAttr attr;
    attr.TelType = 2;
    attr.Province = "广东省";
    attr.Stage = 3;
    std::string number;
    rule.ClassifyCallerNumber(number, attr);
    EXPECT_EQ(attr.TelType, 2);
    EXPECT_EQ(attr.Province, "广东省");
    EXPECT_EQ(attr.Stage, 3);  // neither read nor reset
}

}  // namespace
