// Reading query parameters from raw request targets.
#include <gtest/gtest.h>

#include "tools/demo-service/src/QueryParams.h"

namespace demo {
namespace {

TEST(DemoQueryParamsTest, DecodesEscapesAndKeepsRawBytesAndPlus) {
    const QueryParams p = QueryParams::Parse("/api.aspx?a=%41%62&b=x+y&c=张三&d&=e&a=second#frag");
    ASSERT_TRUE(p.ok()) << p.error();
    EXPECT_EQ(p.value("a"), "Ab");  // the first of two
    EXPECT_EQ(p.value("b"), "x+y");
    EXPECT_EQ(p.value("c"), "张三");
    ASSERT_TRUE(p.get("d").has_value());
    EXPECT_EQ(*p.get("d"), "");
    EXPECT_EQ(p.value(""), "e");
    EXPECT_FALSE(p.get("A").has_value());
    EXPECT_TRUE(QueryParams::Parse("/path").ok());
    EXPECT_EQ(QueryParams::Parse("/path").size(), 0u);
}

TEST(DemoQueryParamsTest, MalformedEscapesAndTooManyParametersAreErrors) {
    for (const char* target : {"/?a=%", "/?a=%4", "/?a=%g0", "/?%zz=1", "/?a=1&b=%%"}) {
        const QueryParams p = QueryParams::Parse(target);
        EXPECT_FALSE(p.ok()) << target;
        EXPECT_EQ(p.size(), 0u) << target;
    }
    std::string many = "/?";
    for (std::size_t i = 0; i <= QueryParams::kMaxParams; ++i)
        many += "k=v&";
    EXPECT_FALSE(QueryParams::Parse(many).ok());
}

}  // namespace
}  // namespace demo
