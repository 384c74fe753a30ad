// Device events and simulator signals that the agent must refuse or repair:
// unknown codes, empty, very long or invalid texts, digits that are not
// digits, and event handlers that throw.
#include <gtest/gtest.h>

#include <stdexcept>

#include "AgentHarness.h"
#include "platform/Text.h"

namespace {

using Events = std::vector<std::string>;

void ReadyAgent(AgentHarness& h) {
    h.SignIn();
    h.Fire(32, 1, "USB 插入");
    h.TakeEvents();
}

struct BadEvent {
    const char* name;
    int event;
    int param;
    std::string text;
    const char* logged;  // what the log must say
};

void PrintTo(const BadEvent& c, std::ostream* os) {
    *os << c.name;
}

class RefusedDeviceEvent : public ::testing::TestWithParam<BadEvent> {};

// In every line state the event is dropped with a log line and changes nothing.
TEST_P(RefusedDeviceEvent, IsLoggedAndChangesNothing) {
    const BadEvent& c = GetParam();
    const std::vector<std::vector<int>> setups = {
        {}, {0}, {2}, {3}, {0, 3}};  // idle, ringing, caller first, off-hook, talking
    for (const auto& setup : setups) {
        AgentHarness h;
        ReadyAgent(h);
        for (int e : setup)
            h.Fire(e, 0, e == 2 ? "075526261234" : "");
        const int state = h.agent->LineState;
        const std::string guid = h.agent->GuidCall;
        h.TakeEvents();
        h.Fire(c.event, c.param, c.text);
        EXPECT_TRUE(h.TakeEvents().empty()) << "state " << state;
        EXPECT_EQ(h.agent->LineState, state);
        EXPECT_EQ(h.agent->GuidCall, guid);
        EXPECT_NE(h.LogText().find(c.logged), std::string::npos) << h.LogText();
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, RefusedDeviceEvent,
    ::testing::Values(BadEvent{"UnknownCode", 99, 0, "", "device event 99 unknown"},
                      BadEvent{"NegativeCode", -1, 0, "x", "device event -1 unknown"},
                      BadEvent{"InternalEnteredCode", 1000, 0, "", "device event 1000 unknown"},
                      BadEvent{"InternalReadyCode", 1006, 0, "", "device event 1006 unknown"},
                      BadEvent{"InternalTimeoutCode", 1007, 0, "", "device event 1007 unknown"},
                      BadEvent{"EmptyDigit", 5, 0, "", "refused digit \"\""},
                      BadEvent{"LetterDigit", 5, 0, "x", "refused digit \"x\""},
                      BadEvent{"TwoDigits", 5, 0, "12", "refused digit \"12\""},
                      BadEvent{"WideCharacterDigit", 5, 0, "五", "refused digit \"五\""},
                      BadEvent{"InvalidUtf8Digit", 5, 0, "\xff", "device event 5: text invalid"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadInput, IgnoredVendorEventsAreDroppedSilently) {
    AgentHarness h;
    ReadyAgent(h);
    for (int e : {1, 10, 13, 22, 23})
        h.Fire(e, 0, "");
    EXPECT_TRUE(h.TakeEvents().empty());
    EXPECT_EQ(h.LogText().find("unknown"), std::string::npos);
}

TEST(BadInput, DtmfKeysOtherThanDigitsAreAccepted) {
    AgentHarness h;
    ReadyAgent(h);
    h.Fire(3);
    h.Fire(5, 0, "*");
    h.Fire(5, 0, "#");
    EXPECT_EQ(h.TakeEvents(), (Events{"5,2,", "8,2,*", "8,2,#"}));
}

TEST(BadInput, EmptyCallerNumberIsAnUnknownCaller) {
    AgentHarness h;
    ReadyAgent(h);
    h.Fire(0, 1);
    h.Fire(2, 0, "");
    EXPECT_EQ(h.TakeEvents(), (Events{"2,1,", "3,0,|2|广东深圳"}));
    EXPECT_TRUE(h.lookups.empty());
}

TEST(BadInput, VeryLongCallerNumberIsCutAndLogged) {
    AgentHarness h;
    ReadyAgent(h);
    const std::string huge(100000, '8');
    h.Fire(0, 1);
    h.Fire(2, 0, huge);
    EXPECT_EQ(h.agent->RawNumber, std::string(128, '8'));
    EXPECT_NE(h.LogText().find("device event 2: text cut from 100000 bytes to 128"),
              std::string::npos);
    h.Fire(3);
    h.Fire(4);
    EXPECT_EQ(h.uploads->talkLogs.at(0).CallerID, std::string(128, '8'));
}

TEST(BadInput, CutNeverSplitsACharacter) {
    AgentHarness h;
    ReadyAgent(h);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "广";  // 3 bytes each
    h.Fire(32, 3, text);
    const auto events = h.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(platform::IsValidUtf8(events[0]));
    EXPECT_EQ(events[0], "1,103," + text.substr(0, 126));
}

TEST(BadInput, InvalidUtf8CallerNumberIsRepairedAndLogged) {
    AgentHarness h;
    ReadyAgent(h);
    h.Fire(0, 1);
    h.Fire(2, 0,
           "0755\xff\xfe"
           "123");
    const auto events = h.TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(platform::IsValidUtf8(events[1]));
    EXPECT_TRUE(platform::IsValidUtf8(h.agent->TelNo));
    EXPECT_NE(h.LogText().find("device event 2: text invalid UTF-8 replaced"), std::string::npos);
}

TEST(BadInput, SimulatorDigitsAndKindsAreCheckedToo) {
    AgentHarness h;
    h.Init();
    h.agent->StartDemo();
    h.agent->SimulateEvent(5, "");
    h.agent->SimulateEvent(6, "ab");
    h.agent->SimulateEvent(42, "x");
    h.agent->SimulateEvent(-3, "");
    h.agent->SimulateEvent(6, "7");
    EXPECT_EQ(h.TakeEvents(), (Events{"5,2,", "8,2,7"}));
    EXPECT_NE(h.LogText().find("SimulateEvent 6: refused digit \"ab\""), std::string::npos);
    EXPECT_NE(h.LogText().find("SimulateEvent: unknown kind 42"), std::string::npos);
}

TEST(BadInput, CallerInformationAnswerWithShortValues) {
    AgentHarness h;
    ReadyAgent(h);
    h.Fire(0, 1);
    h.Fire(2, 0, "075526261234");
    // Values of one character, a missing closing quote, and no braces.
    h.agent->HandleCallerInfoAnswer(h.agent->CallSeq, "{\"Province\":x,\"City\":\"ab,\"Corp\"}");
    EXPECT_EQ(h.agent->Province, "");
    EXPECT_EQ(h.agent->City, "a");
    h.agent->HandleCallerInfoAnswer(h.agent->CallSeq, "\xff");
    h.agent->HandleCallerInfoAnswer(h.agent->CallSeq, std::string(200000, '{'));
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateRinging);
}

struct ThrowingHandler {
    const char* name;
    std::function<void()> raise;
};

void PrintTo(const ThrowingHandler& c, std::ostream* os) {
    *os << c.name;
}

class ThrowingEventHandler : public ::testing::TestWithParam<ThrowingHandler> {};

// Whatever the host's handler throws, every transition completes.
TEST_P(ThrowingEventHandler, NeverStopsATransition) {
    AgentHarness h;
    ReadyAgent(h);
    int calls = 0;
    h.agent->OnDevEvent = [&](int, int, const std::string&) {
        ++calls;
        GetParam().raise();
    };
    h.Fire(0, 1);
    h.Fire(2, 0, "075526261234");
    h.Fire(3);
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateTalking);
    EXPECT_TRUE(h.agent->Recording);
    h.Fire(4);
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateIdle);
    EXPECT_EQ(calls, 5);  // ring, number, recording, conversation, hang-up
    EXPECT_EQ(h.uploads->talkLogs.size(), 1u);
    EXPECT_NE(h.LogText().find("<ERROR> OnDevEvent(2,1) handler failed"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ThrowingEventHandler,
    ::testing::Values(ThrowingHandler{"StdException", [] { throw std::runtime_error("boom"); }},
                      ThrowingHandler{"OtherType", [] { throw 42; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
