#include "AgentLineProtocol.h"

#include <gtest/gtest.h>

TEST(AgentLineProtocol, EventLinesStayOneLineOfThreeFields) {
    EXPECT_EQ(FormatEventLine(1, 10, "准备初始化设备"), "1\t10\t准备初始化设备");
    EXPECT_EQ(FormatEventLine(2, 1, ""), "2\t1\t");
    EXPECT_EQ(FormatEventLine(3, 0, "a\tb\nc\rd\\e"), "3\t0\ta\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(FormatEventLine(-1, -2147483647 - 1, "x"), "-1\t-2147483648\tx");
}

TEST(AgentLineProtocol, SimCommands) {
    struct Case {
        const char* line;
        bool ok;
        int kind;
        const char* text;
    } cases[] = {
        {"sim 3 ", true, 3, ""},
        {"sim 3", true, 3, ""},
        {"sim 4 075526261234", true, 4, "075526261234"},
        {"sim 4 a b  c ", true, 4, "a b  c "},
        {"sim 6 5\r", true, 6, "5"},
        {"sim -1 x", true, -1, "x"},
        {"sim x 1", false, 0, ""},
        {"sim  3", false, 0, ""},
        {"sim 3x", false, 0, ""},
        {"sim 99999999999999999999 a", false, 0, ""},
        {"SIM 3 ", false, 0, ""},
        {"sim", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        int kind = 0;
        std::string text, error;
        EXPECT_EQ(ParseSimCommand(c.line, kind, text, error), c.ok) << c.line;
        if (c.ok) {
            EXPECT_EQ(kind, c.kind) << c.line;
            EXPECT_EQ(text, c.text) << c.line;
        } else {
            EXPECT_FALSE(error.empty()) << c.line;
        }
    }
}
