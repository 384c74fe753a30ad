#include "platform/Text.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using platform::DateTime;
using platform::FormatDateTime;

namespace {

TEST(Text, TrimRemovesSpacesAndControlCharacters) {
    EXPECT_EQ(platform::Trim(" \t\r\n 0755 \x01\x1f"), "0755");
    EXPECT_EQ(platform::Trim("a b"), "a b");
    EXPECT_EQ(platform::Trim("   "), "");
    EXPECT_EQ(platform::Trim("深圳 "), "深圳");
}

TEST(Text, DateTimePatterns) {
    const DateTime t{2024, 3, 5, 9, 7, 2, 47};
    const struct {
        const char* pattern;
        const char* expected;
    } cases[] = {
        {"yyyymmdd", "20240305"},
        {"yymmddhhnnss", "240305090702"},
        {"yyyymmdd_hhnnss", "20240305_090702"},
        {"[mm-dd hh:nn:ss:zzz]", "[03-05 09:07:02:047]"},
        {"hh:nn:ss", "09:07:02"},
        {"yyyy-MM-dd HH:mm:ss", "2024-03-05 09:07:02"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.pattern, t), c.expected) << c.pattern;
}

TEST(Text, StrToIntDef) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"8081", 8081}, {" 12 ", 12}, {"-3", -3},  {"+4", 4},          {"", 99},
                 {"abc", 99},    {"1a", 99},   {"1 2", 99}, {"2147483648", 99}, {"-", 99}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::StrToIntDef(c.text, 99), c.expected) << c.text;
}

TEST(Text, GuidHasThePlatformForm) {
    const std::regex form(
        "^\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}$");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string g = platform::NewGuidString();
        ASSERT_EQ(g.size(), 38u);
        ASSERT_TRUE(std::regex_match(g, form)) << g;
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(Text, Utf8Validation) {
    EXPECT_TRUE(platform::IsValidUtf8("深圳 abc"));
    EXPECT_FALSE(platform::IsValidUtf8("\xff"));
    EXPECT_FALSE(platform::IsValidUtf8("\xe6\xb7"));      // truncated
    EXPECT_FALSE(platform::IsValidUtf8("\xc0\xaf"));      // overlong
    EXPECT_FALSE(platform::IsValidUtf8("\xed\xa0\x80"));  // surrogate
    EXPECT_EQ(platform::SanitizeUtf8("a\xff"
                                     "b"),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
