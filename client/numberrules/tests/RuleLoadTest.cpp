// Reading rule files: the format, the failure semantics and the encodings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <regex>

#include "client/numberrules/TTelRule.h"
#include "client/numberrules/tests/RuleTestSupport.h"

namespace {

using ::testing::HasSubstr;

TEST(NumberRulesLoad, FormatRulesOfTheDocument) {
    // The root name and the entry names are not examined; text and comments
    // are not entries; only the first list of each name counts; names are
    // case-sensitive.
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromMemory(R"(<?xml version="1.0"?>
<Anything>
  <areacodes><x AreaCode="099" TelLength="7"/></areacodes>
  <AreaCodes>
    text <!-- a comment -->
    <A AreaCode="010" TelLength="8" Province="北京市" City="北京市">ignored text</A>
    <B AreaCode="020" TelLength=" 8 "><nested AreaCode="029" TelLength="8"/></B>
  </AreaCodes>
  <AreaCodes><x AreaCode="021" TelLength="8"/></AreaCodes>
  <Other><IPPrefixs><x IPPrefix="17951" ServiceName="deep"/></IPPrefixs></Other>
</Anything>)"));
    ASSERT_EQ(rule.AreaCodes().size(), 2u);
    EXPECT_EQ(rule.AreaCodes()[0].AreaCode, "010");
    EXPECT_EQ(rule.AreaCodes()[1].AreaCode, "020");
    EXPECT_EQ(rule.AreaCodes()[1].TelLength, 8);
    EXPECT_EQ(rule.AreaCodes()[1].Province, "");  // optional attributes read as empty
    EXPECT_TRUE(rule.IPPrefixs().empty());
    EXPECT_EQ(rule.MaxAreaCodeLen, 3);
    EXPECT_EQ(rule.MaxIPPrefixLen, 0);
}

TEST(NumberRulesLoad, DocumentThatIsNotXmlLeavesEveryListEmpty) {
    const char* documents[] = {
        "",
        "not xml at all",
        "<DialRule><AreaCodes><i AreaCode=\"010\" TelLength=\"8\"/></AreaCodes>",
        "<DialRule><AreaCodes><i AreaCode=\"010\" TelLength=\"8\"/></AreaCodes></DialRule><x/>",
        "<DialRule><AreaCodes><i AreaCode=\"010\" TelLength=\"8\"/></AreaCodes></DialRule>&bad;",
    };
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        TTelRule rule;
        ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
        TRuleLoadResult result = rule.LoadFromMemory(document, "broken.xml");
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr("broken.xml"));
        EXPECT_TRUE(rule.AreaCodes().empty());
        EXPECT_TRUE(rule.MobilTelSegs().empty());
        EXPECT_EQ(rule.MaxAreaCodeLen, 0);
        EXPECT_EQ(rule.MobilTelLength, 0);
        TTelAttr attr;
        EXPECT_EQ(rule.MatchAreaCode("0", attr), -1);
        EXPECT_EQ(rule.MatchIPPrefix("1"), -1);
        EXPECT_EQ(rule.MatchMobilSeg("13"), 0);
        EXPECT_EQ(rule.MatchMobilSeg("138"), -1);
    }
}

TEST(NumberRulesLoad, MissingFileIsReported) {
    TTempFolder folder;
    for (const std::string& path : {folder.File("DialRule.xml"), folder.File("")}) {
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromFile(path);
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr(path));
        EXPECT_TRUE(rule.ShortTelNos().empty());
    }
}

// Document order differs from reading order: MobilCodeSegs comes first in the
// file but is read after AreaCodes, so it is dropped with the lists after it.
const char* kBadAreaEntry = R"(<DialRule>
  <MobilCodeSegs TelLength="11"><i CodeSeg="138" ServiceName="中国移动"/></MobilCodeSegs>
  <AreaCodes>
    <i AreaCode="010" TelLength="8" Province="北京市" City="北京市"/>
    <i AreaCode="0351" TelLength="7" Province="山西省" City="太原市"/>
    <i AreaCode="020" TelLength="x8" Province="广东省" City="广州市"/>
    <i AreaCode="0755" TelLength="8"/>
    <i AreaCode="0571" TelLength="8"/>
  </AreaCodes>
  <IPPrefixs><i IPPrefix="17951" ServiceName="移动IP"/></IPPrefixs>
  <ShortTelNos><i ShortTelNo="110" ServiceName="报警电话"/></ShortTelNos>
  <iNets><i CodeSeg="400" TelLength="10"/></iNets>
</DialRule>)";

TEST(NumberRulesLoad, BadEntryKeepsTheListsBeforeAndEmptiesTheRest) {
    TTelRule rule;
    TRuleLoadResult result = rule.LoadFromMemory(kBadAreaEntry, "DialRule.xml");
    ASSERT_FALSE(result.Ok);
    EXPECT_THAT(result.Error, HasSubstr("\"AreaCodes\" entry 3"));
    EXPECT_THAT(result.Error, HasSubstr("TelLength"));
    EXPECT_THAT(result.Error, HasSubstr("\"x8\""));
    EXPECT_THAT(result.Error, HasSubstr("line 6"));

    ASSERT_EQ(rule.IPPrefixs().size(), 1u);
    ASSERT_EQ(rule.ShortTelNos().size(), 1u);
    ASSERT_EQ(rule.AreaCodes().size(), 5u);  // full length, empty from the bad entry on
    EXPECT_EQ(rule.AreaCodes()[1].AreaCode, "0351");
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(rule.AreaCodes()[i].AreaCode, "") << i;
        EXPECT_EQ(rule.AreaCodes()[i].TelLength, 0) << i;
    }
    EXPECT_TRUE(rule.MobilTelSegs().empty());
    EXPECT_TRUE(rule.INets().empty());
    EXPECT_EQ(rule.MaxAreaCodeLen, 4);
    EXPECT_EQ(rule.MobilTelLength, 0);

    // The empty entries match nothing; the complete ones still work.
    TTelAttr attr;
    EXPECT_EQ(rule.MatchAreaCode("0201234567", attr), -1);
    EXPECT_EQ(rule.MatchAreaCode("03511234567", attr), 4);
    EXPECT_EQ(rule.MatchIPPrefix("17951"), 5);
    EXPECT_EQ(rule.MatchShortTelNo("110", attr), 3);
}

TEST(NumberRulesLoad, EveryRequiredAttributeIsChecked) {
    const struct {
        const char* Document;
        const char* Expected;  // in the error text
        std::size_t ListSize;  // of the failing list
    } cases[] = {
        {"<r><IPPrefixs><i ServiceName=\"a\"/></IPPrefixs></r>", "\"IPPrefix\" missing", 1},
        {"<r><IPPrefixs><i IPPrefix=\"1\"/></IPPrefixs></r>", "\"ServiceName\" missing", 1},
        {"<r><ShortTelNos><i ShortTelNo=\"110\"/><i/></ShortTelNos></r>", "\"ShortTelNos\" entry 1",
         2},
        {"<r><AreaCodes><i TelLength=\"8\"/></AreaCodes></r>", "\"AreaCode\" missing", 1},
        {"<r><AreaCodes><i AreaCode=\"010\"/></AreaCodes></r>", "\"TelLength\" missing", 1},
        {"<r><MobilCodeSegs><i CodeSeg=\"138\" ServiceName=\"m\"/></MobilCodeSegs></r>",
         "element \"MobilCodeSegs\"", 1},
        {"<r><MobilCodeSegs TelLength=\"11\"><i CodeSeg=\"138\"/></MobilCodeSegs></r>",
         "\"ServiceName\" missing", 1},
        {"<r><iNets><i CodeSeg=\"400\" TelLength=\"abc\"/><i/><i/></iNets></r>",
         "is not an integer: \"abc\"", 3},
        {"<r><iNets><i TelLength=\"10\"/></iNets></r>", "\"CodeSeg\" missing", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Document);
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromMemory(c.Document);
        EXPECT_FALSE(result.Ok);
        EXPECT_THAT(result.Error, HasSubstr(c.Expected));
        const std::size_t sizes = rule.IPPrefixs().size() + rule.ShortTelNos().size() +
                                  rule.AreaCodes().size() + rule.MobilTelSegs().size() +
                                  rule.INets().size();
        EXPECT_EQ(sizes, c.ListSize);
    }
}

TEST(NumberRulesLoad, ReloadReplacesTheLists) {
    TTelRule rule;
    ASSERT_TRUE(rule.LoadFromFile(FixturePath("rules.xml")));
    ASSERT_TRUE(
        rule.LoadFromMemory("<r><ShortTelNos><i ShortTelNo=\"119\" ServiceName=\"火警\"/>"
                            "</ShortTelNos></r>"));
    EXPECT_TRUE(rule.AreaCodes().empty());
    EXPECT_EQ(rule.MaxAreaCodeLen, 0);
    EXPECT_EQ(rule.MobilTelLength, 0);
    TTelAttr attr;
    EXPECT_EQ(rule.MatchShortTelNo("110", attr), -1);
    EXPECT_EQ(rule.MatchShortTelNo("119", attr), 3);
}

std::string ConvertFromUtf8(const std::string& text, const char* encoding) {
    iconv_t cd = iconv_open(encoding, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert to " << encoding;
        return {};
    }
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(done, static_cast<std::size_t>(-1)) << "conversion to " << encoding;
    out.resize(out.size() - outLeft);
    return out;
}

template <typename Entry, typename Same>
void ExpectSameList(const std::vector<Entry>& a, const std::vector<Entry>& b, Same same) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(same(a[i], b[i])) << "entry " << i;
    }
}

void ExpectSameRules(const TTelRule& a, const TTelRule& b) {
    ExpectSameList(a.IPPrefixs(), b.IPPrefixs(), [](const TIPPrefix& x, const TIPPrefix& y) {
        return x.IPPrefix == y.IPPrefix && x.ServiceName == y.ServiceName;
    });
    ExpectSameList(a.ShortTelNos(), b.ShortTelNos(),
                   [](const TShortTelNo& x, const TShortTelNo& y) {
                       return x.ShortTelNo == y.ShortTelNo && x.ServiceName == y.ServiceName;
                   });
    ExpectSameList(a.AreaCodes(), b.AreaCodes(), [](const TAreaCode& x, const TAreaCode& y) {
        return x.AreaCode == y.AreaCode && x.TelLength == y.TelLength && x.Province == y.Province &&
               x.City == y.City;
    });
    ExpectSameList(a.MobilTelSegs(), b.MobilTelSegs(),
                   [](const TMobilTelSeg& x, const TMobilTelSeg& y) {
                       return x.CodeSeg == y.CodeSeg && x.ServiceName == y.ServiceName;
                   });
    ExpectSameList(a.INets(), b.INets(), [](const TINet& x, const TINet& y) {
        return x.CodeSeg == y.CodeSeg && x.TelLength == y.TelLength &&
               x.ServiceName == y.ServiceName;
    });
    EXPECT_EQ(a.MobilTelLength, b.MobilTelLength);
}

TEST(NumberRulesLoad, EncodingNamedByTheDeclarationLoadsLikeTheUtf8Twin) {
    const std::string utf8 = ReadWholeFile(FixturePath("rules.xml"));
    ASSERT_NE(utf8.find("encoding=\"UTF-8\""), std::string::npos);
    TTelRule twin;
    ASSERT_TRUE(twin.LoadFromFile(FixturePath("rules.xml")));
    ASSERT_EQ(twin.AreaCodes()[1].City, "广州市");

    TTempFolder folder;
    for (const char* encoding : {"GBK", "GB2312", "GB18030", "UTF-16", "UTF-8"}) {
        SCOPED_TRACE(encoding);
        std::string declared = std::regex_replace(utf8, std::regex("encoding=\"UTF-8\""),
                                                  std::string("encoding=\"") + encoding + "\"");
        const std::string path = folder.File(std::string("rules-") + encoding + ".xml");
        std::ofstream(path, std::ios::binary) << ConvertFromUtf8(declared, encoding);
        TTelRule rule;
        TRuleLoadResult result = rule.LoadFromFile(path);
        ASSERT_TRUE(result.Ok) << result.Error;
        ExpectSameRules(rule, twin);
    }
}

}  // namespace
