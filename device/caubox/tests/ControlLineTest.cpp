// Which control lines count as text, and how they split into command and argument.
#include <gtest/gtest.h>

#include "device/caubox/ControlLine.h"

namespace caubox {
namespace {

TEST(CauBoxControlLine, TextIsAcceptedAndBinaryRefused) {
    struct Case {
        std::string line;
        bool accepted;
    };
    const Case cases[] = {
        {"ring", true},
        {"audio /home/坐席/录音 1.wav", true},
        {"event\t25\t3", true},
        {"", true},
        {std::string("ri\0ng", 5), false},
        {"ring\x7f", false},
        {"\x1b[A", false},
        {"\xff", false},
        {"\xc0\xaf", false},          // overlong '/'
        {"\xed\xa0\x80", false},      // a surrogate
        {"\xe4\xb8", false},          // cut short
        {"\xf4\x90\x80\x80", false},  // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckControlLine(c.line).empty(), c.accepted) << c.line;
    }
}

TEST(CauBoxControlLine, SplitsTheLowerCasedCommandFromItsArgument) {
    struct Case {
        const char* line;
        const char* name;
        const char* argument;
    };
    const Case cases[] = {
        {"ring", "ring", ""},
        {"  CID   139 1234  ", "cid", "139 1234"},
        {"audio /tmp/My File.wav", "audio", "/tmp/My File.wav"},
        {"\tEvent\t21\tAbC", "event", "21\tAbC"},
        {"   ", "", ""},
    };
    for (const Case& c : cases) {
        const ControlCommand command = SplitControlLine(c.line);
        EXPECT_EQ(command.name, c.name) << c.line;
        EXPECT_EQ(command.argument, c.argument) << c.line;
    }
}

}  // namespace
}  // namespace caubox
