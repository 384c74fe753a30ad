// Hostile rule files and numbers: refused with a reason, never a crash or a hang.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/RuleTestSupport.h"

namespace {

using ::testing::HasSubstr;

std::string AreaCodeDocument(const std::string& telLength) {
    return "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"报警电话\"/></ShortTelNos>"
           "<AreaCodes><i AreaCode=\"010\" TelLength=\"" +
           telLength + "\"/></AreaCodes></r>";
}

TEST(NumberRulesBadInput, AbsurdTelLengthIsRefused) {
    const struct {
        const char* Value;
        const char* Reason;
    } cases[] = {
        {"-1", "out of range"},         {"65", "out of range"},
        {"2147483648", "out of range"}, {"99999999999999999999999", "is not an integer"},
        {"", "is not an integer"},      {"   ", "is not an integer"},
        {"8.5", "is not an integer"},   {"0x8", "is not an integer"},
        {"８", "is not an integer"},  // a full-width digit
        {"8 8", "is not an integer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromMemory(AreaCodeDocument(c.Value));
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr("\"TelLength\" " + std::string(c.Reason)));
        EXPECT_EQ(rule.ShortTelNos().size(), 1u);  // read before the bad list
        ASSERT_EQ(rule.AreaCodes().size(), 1u);
        EXPECT_EQ(rule.AreaCodes()[0].AreaCode, "");
    }
    for (const char* value : {"0", "64", " 8 ", "+7"}) {
        TTelRule rule;
        EXPECT_TRUE(rule.LoadFromMemory(AreaCodeDocument(value))) << value;
    }
}

TEST(NumberRulesBadInput, LongErrorValuesAreShortenedAndValidUtf8) {
    TTelRule rule;
    // "\xe5\xb9" cuts a character in two at the quoting limit.
    TRuleLoadResult result = rule.LoadFromMemory(AreaCodeDocument(std::string(39, 'x') + "广州"));
    ASSERT_FALSE(result.Ok);
    EXPECT_LT(result.Error.size(), 200u);
    EXPECT_THAT(result.Error, HasSubstr("...\""));
    EXPECT_EQ(result.Error.find("\xe5\xb9\""), std::string::npos);
}

TEST(NumberRulesBadInput, EmptyCodesMatchNothingAndAreLogged) {
    TLogCapture log;
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromMemory(
        "<r><IPPrefixs><i IPPrefix=\"\" ServiceName=\"\"/></IPPrefixs>"
        "<AreaCodes><i AreaCode=\" \" TelLength=\"8\"/><i AreaCode=\"010\" TelLength=\"8\"/>"
        "</AreaCodes>"
        "<MobilCodeSegs TelLength=\"11\"><i CodeSeg=\"\" ServiceName=\"x\"/>"
        "<i CodeSeg=\"138\" ServiceName=\"中国移动\"/></MobilCodeSegs></r>",
        "empty.xml"));
    TTelAttr attr;
    EXPECT_EQ(rule.MatchIPPrefix("17951"), -1);
    EXPECT_EQ(rule.MatchAreaCode("0755", attr), -1);
    EXPECT_EQ(rule.MatchAreaCode("0101", attr), 3);
    EXPECT_EQ(rule.MatchMobilSeg("139"), -1);
    EXPECT_EQ(rule.MatchMobilSeg("138"), 2);
    TLocalInfo info{"", "", ""};
    rule.FindLocalInfo(info);
    EXPECT_EQ(info.Province, "");
    const std::string text = log.Text();
    EXPECT_THAT(text, HasSubstr("<WARN> empty.xml: 1 entries of \"AreaCodes\" have an empty code"));
    EXPECT_THAT(text, HasSubstr("\"IPPrefixs\""));
    EXPECT_THAT(text, HasSubstr("\"MobilCodeSegs\""));
}

std::string Nested(int depth, const std::string& inner) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<n>";
        close += "</n>";
    }
    return open + inner + close;
}

TEST(NumberRulesBadInput, HostileDocumentsAreRefusedWithAReason) {
    const std::string entity =
        "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
        "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>";
    const struct {
        const char* Name;
        std::string Document;
    } cases[] = {
        {"nested a thousand levels in an entry",
         "<r><AreaCodes>" + Nested(1000, "") + "</AreaCodes></r>"},
        {"nested a thousand levels at the top", Nested(1000, "")},
        {"not UTF-8 though declared so",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r><ShortTelNos>"
         "<i ShortTelNo=\"110\" ServiceName=\"\xb1\xa8\xbe\xaf\"/></ShortTelNos></r>"},
        {"an encoding nobody knows",
         "<?xml version=\"1.0\" encoding=\"X-NO-SUCH\"?><r><ShortTelNos/></r>"},
        {"entity expansion bomb",
         entity + "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"&g;\"/></ShortTelNos></r>"},
        {"external entity",
         "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
         "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"&x;\"/>"
         "</ShortTelNos></r>"},
        {"NUL inside", std::string("<r><ShortTelNos><i ShortTelNo=\"1") + '\0' +
                           "\" ServiceName=\"\"/></ShortTelNos></r>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromMemory(c.Document, "hostile.xml");
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr("hostile.xml: not a readable XML document: line"));
        EXPECT_TRUE(rule.ShortTelNos().empty());
        EXPECT_TRUE(rule.AreaCodes().empty());
    }
}

TEST(NumberRulesBadInput, HundredMegabyteFiles) {
    TTempFolder folder;
    const std::size_t hundredMegabytes = 100u << 20;
    {
        // One attribute of 100 MB: beyond what the parser takes.
        const std::string path = folder.File("huge-attribute.xml");
        std::ofstream out(path, std::ios::binary);
        out << "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"";
        out << std::string(hundredMegabytes, 'a');
        out << "\"/></ShortTelNos></r>";
        out.close();
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromFile(path);
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr("not a readable XML document"));
        EXPECT_TRUE(rule.ShortTelNos().empty());
    }
    {
        // 100 MB of elements that are not rule lists, around real lists.
        const std::string path = folder.File("huge-filler.xml");
        std::ofstream out(path, std::ios::binary);
        out << "<r><ShortTelNos><i ShortTelNo=\"110\" ServiceName=\"报警电话\"/></ShortTelNos>"
               "<Filler>";
        const std::string filler = "<f a=\"0123456789012345678901234567890123456789\"/>\n";
        for (std::size_t written = 0; written < hundredMegabytes; written += filler.size()) {
            out << filler;
        }
        out << "</Filler><AreaCodes><i AreaCode=\"010\" TelLength=\"8\"/></AreaCodes></r>";
        out.close();
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromFile(path);
        EXPECT_TRUE(result.Ok) << result.Error;
        EXPECT_EQ(rule.ShortTelNos().size(), 1u);
        EXPECT_EQ(rule.AreaCodes().size(), 1u);
    }
}

TEST(NumberRulesBadInput, NumbersThatAreNotDigits) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    const std::string numbers[] = {
        "*#06#",
        "abc",
        "０７５５１２３４５６７８",  // full-width digits
        "\xff\xfe\xfd\xfc",
        std::string("01\0"
                    "0123",
                    6),
        "0",
        "00000000000000000000",
        "-1",
        std::string(100000, '9'),
        "0" + std::string(100000, '1'),
        "\xe5\xb9",  // a cut UTF-8 character
    };
    for (const std::string& number : numbers) {
        SCOPED_TRACE(number.substr(0, 20));
        TDialOutcome dialled = DialDigitByDigit(rule, number.substr(0, 200), FreshDialAttr({}, 8));
        EXPECT_LE(dialled.Attr.Stage, 4);
        EXPECT_LE(dialled.Attr.TelType, 4);
        TTelAttr whole = FreshDialAttr({}, 8);
        rule.ClassifyDialledNumber(number, whole);  // the whole text in one call
        EXPECT_LE(whole.Stage, 4);
        TTelAttr caller;
        caller.TelType = 2;
        std::string copy = number;
        rule.ClassifyCallerNumber(copy, caller);
        EXPECT_LE(caller.TelType, 3);
        EXPECT_TRUE(copy == number || copy == number.substr(1));
    }
}

TEST(NumberRulesBadInput, AbsurdLengthsInTheAttrDoNotOverflow) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    for (int telLength : {-2147483647 - 1, -1, 2147483647}) {
        TTelAttr attr = FreshDialAttr({}, telLength);
        attr.NumberPos = 2147483647;
        rule.ClassifyDialledNumber("83456789", attr);
        EXPECT_LE(attr.Stage, 4);
    }
}

}  // namespace
