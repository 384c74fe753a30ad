// Calls as sequences of device signals, time and worker answers, against the
// agent events that each step raises.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "AgentHarness.h"
#include "client/service/WindowMessages.h"
#include "platform/Paths.h"

namespace {

struct Step {
    std::string action;               // "ring", "cid N", "off", "on", "dtmf D", "wait MS",
                                      // "answer TEXT", "stale-answer TEXT", "unplug",
                                      // "demo", "sim KIND TEXT"
    std::vector<std::string> events;  // raised by this step, in order
};

struct Scenario {
    Scenario(const char* n, std::vector<std::pair<std::string, std::string>> s, bool in,
             std::vector<Step> st, std::function<void(AgentHarness&)> c = nullptr)
        : name(n),
          settings(std::move(s)),
          signedIn(in),
          steps(std::move(st)),
          check(std::move(c)) {}
    const char* name;
    std::vector<std::pair<std::string, std::string>> settings;
    bool signedIn;
    std::vector<Step> steps;
    std::function<void(AgentHarness&)> check;  // after the last step
};

// One step per digit, each raising (8, callType, digit).
std::vector<Step> Dial(const std::string& digits, int callType = 2) {
    std::vector<Step> steps;
    for (char d : digits) {
        const std::string s(1, d);
        steps.push_back({"dtmf " + s, {"8," + std::to_string(callType) + "," + s}});
    }
    return steps;
}

std::vector<Step> Join(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::vector<std::pair<std::string, std::string>> kExtensionLine = {
    {"LineType", "1"}, {"PrefixDTMF", "9"}, {"PrefixCID", "9"}, {"ExtNoLen", "3"}};

const char* kAnswer =
    R"({"State":1000,"Province":"广东","City":"深圳","ClientName":"李四",)"
    R"("CompanyName":"某公司","Corp":"集团","urlHost":"crm.example.com","urlCaption":"主页","sNote":"备注"})";

void RunStep(AgentHarness& h, const Step& step) {
    const auto space = step.action.find(' ');
    const std::string verb = step.action.substr(0, space);
    const std::string arg = space == std::string::npos ? "" : step.action.substr(space + 1);
    if (verb == "ring") {
        h.Fire(0, 7);
    } else if (verb == "cid") {
        h.Fire(2, 0, arg);
    } else if (verb == "off") {
        h.Fire(3);
    } else if (verb == "on") {
        h.Fire(4);
    } else if (verb == "dtmf") {
        h.Fire(5, 0, arg);
    } else if (verb == "wait") {
        h.Advance(std::stoi(arg));
    } else if (verb == "answer" || verb == "stale-answer") {
        const int seq = h.agent->CallSeq - (verb == "stale-answer" ? 1 : 0);
        platform::PostTextMessage(h.agent->Notifier()->MessageHandle(), WM_TRD_CALLERINFO, seq,
                                  arg);
        h.RunMessages();
    } else if (verb == "unplug") {
        h.Fire(32, 0, "USB 拔出");
    } else if (verb == "demo") {
        h.agent->StartDemo();
    } else if (verb == "sim") {
        const auto sp = arg.find(' ');
        h.agent->SimulateEvent(std::stoi(arg.substr(0, sp)),
                               sp == std::string::npos ? "" : arg.substr(sp + 1));
    } else {
        FAIL() << "unknown step " << step.action;
    }
}

class CallScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(CallScenario, RaisesTheEventsOfEveryStep) {
    const Scenario& sc = GetParam();
    AgentHarness h;
    for (const auto& [key, value] : sc.settings)
        h.Setting(key, value);
    h.Init();
    if (sc.signedIn) {
        h.SignIn();
        h.Fire(32, 1, "USB 插入");
        ASSERT_EQ(h.agent->LineState, 0);
    }
    h.TakeEvents();
    h.TakeWindowCalls();
    for (const Step& step : sc.steps) {
        RunStep(h, step);
        EXPECT_EQ(h.TakeEvents(), step.events) << "after step \"" << step.action << "\"";
    }
    if (sc.check)
        sc.check(h);
}

const std::string kRec = "_20240315_093012_";  // the start of every conversation below

std::vector<Scenario> Scenarios() {
    return {
        {"IncomingAnsweredNumberAfterFirstRing",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"cid 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"ring", {"2,2,075526261234"}},
          {"off", {"6,0,{G}|{G}_1001_075526261234" + kRec + "1.mp3", "10,1,075526261234|{G}"}},
          {"dtmf 3", {"8,1,3"}},
          {"on", {"7,1,"}}},
         [](AgentHarness& h) {
             ASSERT_EQ(h.lookups.size(), 1u);
             EXPECT_EQ(h.lookups[0].Number, "075526261234");
             ASSERT_EQ(h.uploads->talkLogs.size(), 1u);
             const TTalkInfo& t = h.uploads->talkLogs[0];
             EXPECT_EQ(t.TalkType, 1);
             EXPECT_EQ(t.CallerID, "075526261234");
             EXPECT_EQ(t.UserID, 1001);
             EXPECT_EQ(t.EnterpriseName, "演示企业");
             EXPECT_EQ(MaskGuids(t.locFile),
                       h.data.path() + "/VocFile/20240315/{G}_1001_075526261234" + kRec + "1.mp3");
             ASSERT_EQ(h.uploads->vocFiles.size(), 1u);
             EXPECT_EQ(h.uploads->vocFiles[0].locFile, t.locFile);
             EXPECT_EQ(h.uploads->vocFiles[0].guidVocID, t.guidVocID);
             EXPECT_EQ(h.DevCount("TestDev_RecordCount"), 1);
             EXPECT_EQ(h.DevCount("TestDev_StopCount"), 1);
         }},
        {"CallerNumberBeforeFirstRing",
         {},
         true,
         {{"cid 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"ring", {"2,1,075526261234"}},
          {"off", {"6,0,{G}|{G}_1001_075526261234" + kRec + "1.mp3", "10,1,075526261234|{G}"}},
          {"on", {"7,1,"}}}},
        {"RingsWithoutNumberThenSilence",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"wait 2000", {}},
          {"ring", {"2,2,"}},
          {"wait 6000", {}},
          {"wait 100", {"9,2,"}},
          {"on", {}}},
         [](AgentHarness& h) {
             ASSERT_EQ(h.uploads->talkLogs.size(), 1u);
             const TTalkInfo& t = h.uploads->talkLogs[0];
             EXPECT_EQ(t.TalkType, 11);
             EXPECT_EQ(t.CallerID, "");
             EXPECT_EQ(t.tmStart, t.tmEnd);
             EXPECT_EQ(t.locFile, "");
             EXPECT_TRUE(h.uploads->vocFiles.empty());
             EXPECT_EQ(h.agent->LineState, 0);
         }},
        {"CallerNumberAndNoRingIsMissedWithRingCountZero",
         {},
         true,
         {{"cid 13812345678", {"3,0,13812345678|3|中国移动"}},
          {"off", {}},
          {"on", {}},
          {"wait 6100", {"9,0,13812345678"}}}},
        {"HangUpWhileRingingIsMissed",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"cid 02088886666", {"3,0,02088886666|2|广东广州"}},
          {"on", {"9,1,02088886666"}}}},
        {"CallerNumberBetweenRings",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"ring", {"2,2,"}},
          {"cid 057188889999", {"3,0,057188889999|2|浙江杭州"}},
          {"ring", {"2,3,057188889999"}},
          {"off", {"6,0,{G}|{G}_1001_057188889999" + kRec + "1.mp3", "10,1,057188889999|{G}"}}}},
        {"IncomingShortNumberNeedsNoLookup",
         {},
         true,
         {{"ring", {"2,1,"}}, {"cid 114", {"3,0,114|1|查号台"}}},
         [](AgentHarness& h) {
             EXPECT_TRUE(h.lookups.empty());
             EXPECT_EQ(h.agent->CompanyName, "查号台");
             const auto calls = h.TakeWindowCalls();
             EXPECT_EQ(calls.back(), "ShowCallerInfo(114|广东深圳||查号台||||)");
         }},
        {"TrunkZeroBeforeMobileIsDropped",
         {},
         true,
         {{"ring", {"2,1,"}}, {"cid 013912345678", {"3,0,13912345678|3|中国移动"}}},
         [](AgentHarness& h) {
             ASSERT_EQ(h.lookups.size(), 1u);
             EXPECT_EQ(h.lookups[0].Number, "13912345678");
             EXPECT_EQ(h.agent->RawNumber, "013912345678");
         }},
        {"UnknownNumberKeepsTheLocalArea",
         {},
         true,
         {{"ring", {"2,1,"}}, {"cid 09999999999", {"3,0,09999999999|2|广东深圳"}}}},
        {"ExtensionLineOutsideCallerLosesThePrefix",
         kExtensionLine,
         true,
         {{"ring", {"2,1,"}},
          {"cid 9075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"off", {"6,0,{G}|{G}_1001_075526261234" + kRec + "1.mp3", "10,1,9075526261234|{G}"}},
          {"on", {"7,1,"}}},
         [](AgentHarness& h) {
             // The call log keeps the number as received.
             ASSERT_EQ(h.uploads->talkLogs.size(), 1u);
             EXPECT_EQ(h.uploads->talkLogs[0].CallerID, "9075526261234");
         }},
        {"ExtensionLineInsideCaller",
         kExtensionLine,
         true,
         {{"ring", {"2,1,"}}, {"cid 801", {"3,1,801"}}},
         [](AgentHarness& h) {
             EXPECT_TRUE(h.lookups.empty());
             const auto calls = h.TakeWindowCalls();
             ASSERT_GE(calls.size(), 2u);
             EXPECT_EQ(calls[calls.size() - 2], "ShowIncoming(801)");
             EXPECT_EQ(calls.back(), "ShowCallerInfo(801|内线||||||)");
         }},
        {"ExtensionLineOutsideLineDigitThenLocalNumber", kExtensionLine, true,
         Join({{{"off", {"5,2,"}}, {"dtmf 9", {"8,2,9"}}},
               Dial("2626123"),
               {{"dtmf 4",
                 {"8,2,4", "3,2,26261234|2|广东深圳",
                  "6,0,{G}|{G}_1001_075526261234" + kRec + "2.mp3", "10,2,26261234|{G}"}},
                {"on", {"7,2,"}}}}),
         [](AgentHarness& h) {
             ASSERT_EQ(h.lookups.size(), 1u);
             EXPECT_EQ(h.lookups[0].Number, "075526261234");  // the area code in front
             EXPECT_EQ(h.agent->Digits, "26261234");
         }},
        {"ExtensionLineDialsAnExtension",
         kExtensionLine,
         true,
         {{"off", {"5,2,"}},
          {"dtmf 8", {"8,2,8"}},
          {"dtmf 0", {"8,2,0"}},
          {"dtmf 1", {"8,2,1", "3,3,801", "6,0,{G}|{G}_1001_801" + kRec + "2.mp3", "10,2,801|{G}"}},
          {"on", {"7,2,"}}},
         [](AgentHarness& h) { EXPECT_TRUE(h.lookups.empty()); }},
        {"ExtensionLineWithoutExtensionLength",
         {{"LineType", "1"}, {"PrefixDTMF", "9"}, {"ExtNoLen", "0"}},
         true,
         {{"off", {"5,2,"}},
          {"dtmf 5", {"8,2,5", "3,3,5", "6,0,{G}|{G}_1001_5" + kRec + "2.mp3", "10,2,5|{G}"}}}},
        {"ExtensionLineWithoutOutsideDigitIsADirectLine",
         {{"LineType", "1"}, {"PrefixDTMF", " "}, {"ExtNoLen", "3"}},
         true,
         Join({{{"off", {"5,2,"}}},
               Dial("11"),
               {{"dtmf 4",
                 {"8,2,4", "3,2,114|1|查号台", "6,0,{G}|{G}_1001_114" + kRec + "2.mp3",
                  "10,2,114|{G}"}}}})},
        {"OffHookAndAtOnceOnHook",
         {},
         true,
         {{"off", {"5,2,"}}, {"on", {"7,2,"}}},
         [](AgentHarness& h) {
             EXPECT_TRUE(h.uploads->talkLogs.empty());
             EXPECT_TRUE(h.uploads->vocFiles.empty());
         }},
        {"OffHookWithoutDiallingWaitsForTheHangUp",
         {},
         true,
         {{"off", {"5,2,"}}, {"wait 30000", {}}, {"ring", {}}, {"cid 114", {}}, {"on", {"7,2,"}}}},
        {"LocalNumberCompletesByTimeOut",
         {},
         true,
         Join({{{"off", {"5,2,"}}},
               Dial("2626123"),
               {{"wait 10000", {}},
                {"wait 100",
                 // Still undecided: type 0, and no area code in front.
                 {"3,2,2626123|0|广东深圳", "6,0,{G}|{G}_1001_2626123_20240315_093022_2.mp3",
                  "10,2,2626123|{G}"}}}})},
        {"MobileAfterATrunkZero",
         {},
         true,
         Join({{{"off", {"5,2,"}}},
               Dial("01381234567"),
               {{"dtmf 8",
                 {"8,2,8", "3,2,13812345678|3|广东深圳",
                  "6,0,{G}|{G}_1001_13812345678" + kRec + "2.mp3", "10,2,013812345678|{G}"}}}}),
         [](AgentHarness& h) {
             ASSERT_EQ(h.lookups.size(), 1u);
             EXPECT_EQ(h.lookups[0].Number, "13812345678");
         }},
        {"IPPrefixThenFixedLine",
         {},
         true,
         Join({{{"off", {"5,2,"}}},
               Dial("1795102012345"),
               {{"dtmf 6", {"8,2,6"}},
                {"dtmf 7", {"8,2,7"}},
                {"dtmf 8",
                 {"8,2,8", "3,2,02012345678|2|广东广州",
                  "6,0,{G}|{G}_1001_02012345678" + kRec + "2.mp3", "10,2,1795102012345678|{G}"}}}}),
         [](AgentHarness& h) {
             ASSERT_EQ(h.lookups.size(), 1u);
             EXPECT_EQ(h.lookups[0].Number, "02012345678");
         }},
        {"ShortNumberDialledCompletesAtItsLastDigit",
         {},
         true,
         Join({{{"off", {"5,2,"}}},
               Dial("11"),
               {{"dtmf 4",
                 {"8,2,4", "3,2,114|1|查号台", "6,0,{G}|{G}_1001_114" + kRec + "2.mp3",
                  "10,2,114|{G}"}},
                {"dtmf 1", {"8,2,1"}},
                {"on", {"7,2,"}}}}),
         [](AgentHarness& h) {
             EXPECT_TRUE(h.lookups.empty());
             const auto calls = h.TakeWindowCalls();
             EXPECT_NE(
                 std::find(calls.begin(), calls.end(), "ShowCallerInfo(114|广东深圳|查号台|||||)"),
                 calls.end());
         }},
        {"CallerInformationAnswerFillsTheRecord",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"cid 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {std::string("answer ") + kAnswer, {std::string("4,0,") + kAnswer}},
          {"ring", {"2,2,075526261234"}}},
         [](AgentHarness& h) {
             EXPECT_EQ(h.agent->ClientName, "李四");
             EXPECT_EQ(h.agent->CompanyName, "某公司");
             EXPECT_EQ(h.agent->urlHost, "\"crm.example.com\"");
             const auto calls = h.TakeWindowCalls();
             EXPECT_NE(std::find(calls.begin(), calls.end(),
                                 "ShowCallerInfo(075526261234|广东深圳|李四|某公司|集团|"
                                 "\"crm.example.com\"|\"主页\"|\"备注\")"),
                       calls.end());
         }},
        {"EmptyCallerInformationAnswerClearsTheDetails",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"cid 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"answer ", {"4,0,"}}},
         [](AgentHarness& h) {
             EXPECT_EQ(h.agent->Province, "");
             EXPECT_EQ(h.TakeWindowCalls().back(), "ShowCallerInfo(075526261234|||||||)");
         }},
        {"LateCallerInformationAnswerIsDropped",
         {},
         true,
         {{"cid 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"wait 6100", {"9,0,075526261234"}},
          {std::string("stale-answer ") + kAnswer, {}}},
         [](AgentHarness& h) { EXPECT_EQ(h.agent->ClientName, ""); }},
        {"UnplugDuringAConversationChangesNothingElse",
         {},
         true,
         {{"ring", {"2,1,"}},
          {"off", {"6,0,{G}|{G}_1001_" + kRec + "1.mp3", "10,1,|{G}"}},
          {"unplug", {"1,100,USB 拔出"}},
          {"on", {"7,1,"}}}},
        {"SimulatedCallWithoutSignIn",
         {},
         false,
         {{"demo", {}},
          {"sim 3 ", {"2,1,"}},
          {"sim 4 075526261234", {"3,0,075526261234|2|广东深圳"}},
          {"sim 5 ", {"10,1,075526261234|{G}"}},
          {"sim 6 5", {"8,1,5"}},
          {"sim 1 ", {"7,1,"}},
          {"sim 1 ", {}},
          {"sim 9 x", {}}},
         [](AgentHarness& h) {
             EXPECT_TRUE(h.lookups.empty());  // not signed in
             EXPECT_TRUE(h.uploads->talkLogs.empty());
             EXPECT_FALSE(h.agent->DemoMode);
             EXPECT_EQ(h.TakeWindowCalls().back(), "HideWarn");
         }},
        {"SimulatedCallWhenSignedInIsLoggedButNotRecorded",
         {},
         true,
         {{"sim 3 ", {"2,1,"}},
          {"sim 4 02088886666", {"3,0,02088886666|2|广东广州"}},
          {"sim 5 ", {"10,1,02088886666|{G}"}},
          {"sim 1 ", {"7,1,"}}},
         [](AgentHarness& h) {
             EXPECT_EQ(h.DevCount("TestDev_RecordCount"), 0);
             EXPECT_TRUE(h.uploads->vocFiles.empty());
             ASSERT_EQ(h.uploads->talkLogs.size(), 1u);
             // The call log names the path; the day folder exists, the file does not.
             const std::string loc = h.uploads->talkLogs[0].locFile;
             EXPECT_NE(loc, "");
             EXPECT_TRUE(platform::FolderExists(h.data.path() + "/VocFile/20240315"));
             EXPECT_FALSE(platform::FileExists(loc));
         }},
    };
}

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

INSTANTIATE_TEST_SUITE_P(Calls, CallScenario, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
