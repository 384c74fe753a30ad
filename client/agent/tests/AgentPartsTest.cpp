// The agent's parts on their own: settings, the state timer, call type names,
// the number text of event 3 and file names.
#include <gtest/gtest.h>

#include "AgentHarness.h"
#include "client/agent/CallTypeName.h"
#include "client/agent/NumberClassification.h"
#include "client/agent/StateTimer.h"
#include "client/agent/VocFileNaming.h"
#include "client/service/WindowMessages.h"

namespace {

struct SettingsCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> ini;
    int lineType;
    std::string prefixDTMF, prefixCID, areaCode;
    int localTelLength, extNoLen;
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.name;
}

class AgentSettingsRead : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(AgentSettingsRead, FollowTheAgentsRules) {
    const SettingsCase& c = GetParam();
    AgentHarness h;
    for (const auto& [k, v] : c.ini)
        h.Setting(k, v);
    h.Init();
    EXPECT_EQ(h.agent->LineType, c.lineType);
    EXPECT_EQ(h.agent->PrefixDTMF, c.prefixDTMF);
    EXPECT_EQ(h.agent->PrefixCID, c.prefixCID);
    EXPECT_EQ(h.agent->AreaCode, c.areaCode);
    EXPECT_EQ(h.agent->LocalInfo.AreaCode, c.areaCode);
    EXPECT_EQ(h.agent->LocalTelLength, c.localTelLength);
    EXPECT_EQ(h.agent->ExtNoLen, c.extNoLen);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, AgentSettingsRead,
    ::testing::Values(SettingsCase{"Defaults", {}, 0, "", "", "0755", 8, 0},
                      SettingsCase{"Extension",
                                   {{"LineType", "1"},
                                    {"PrefixDTMF", " 9 "},
                                    {"PrefixCID", "\t8"},
                                    {"ExtNoLen", "4"},
                                    {"AreaCode", " 020 "},
                                    {"LocalTelLength", "7"}},
                                   1,
                                   "9",
                                   "8",
                                   "020",
                                   7,
                                   4},
                      SettingsCase{"ExtensionWithoutOutsideDigitIsDirect",
                                   {{"LineType", "1"}, {"PrefixDTMF", ""}, {"PrefixCID", "9"}},
                                   0,
                                   "",
                                   "9",
                                   "0755",
                                   8,
                                   0},
                      SettingsCase{"LineTypeTwoIsDirect",
                                   {{"LineType", "2"}, {"PrefixDTMF", "9"}, {"PrefixCID", "9"}},
                                   0,
                                   "",
                                   "",
                                   "0755",
                                   8,
                                   0},
                      SettingsCase{
                          "NumbersThatAreNotNumbers",
                          {{"LocalTelLength", "eight"}, {"ExtNoLen", "3x"}, {"LineType", "one"}},
                          0,
                          "",
                          "",
                          "0755",
                          8,
                          0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AgentSettings, ReloadChangesTheAreaCodeAtOnceButNotTheArea) {
    AgentHarness h;
    h.SignIn();
    EXPECT_EQ(h.agent->LocalInfo.Province, "广东");
    h.Setting("AreaCode", "0571");
    h.agent->ReloadSettings();
    EXPECT_EQ(h.agent->LocalInfo.AreaCode, "0571");
    EXPECT_EQ(h.agent->LocalInfo.City, "深圳");
    h.agent->LoadDialRules();
    EXPECT_EQ(h.agent->LocalInfo.City, "杭州");
    h.Setting("AreaCode", "0999");  // not in the rules: no area at all
    h.agent->ReloadSettings();
    h.agent->LoadDialRules();
    EXPECT_EQ(h.agent->LocalInfo.Province, "");
    EXPECT_EQ(h.agent->LocalInfo.City, "");
}

TEST(StateTimer, FiresOnlyAfterStrictlyMoreThanItsTime) {
    platform::DateTime t0{2024, 3, 15, 9, 0, 0, 0};
    TStateTimer timer;
    EXPECT_FALSE(timer.Expire(t0.addMsecs(100000)));  // not armed
    timer.Arm(t0, 6000);
    EXPECT_FALSE(timer.Expire(t0.addMsecs(6000)));
    EXPECT_TRUE(timer.Expire(t0.addMsecs(6001)));
    EXPECT_FALSE(timer.IsArmed());
    EXPECT_FALSE(timer.Expire(t0.addMsecs(7000)));
    timer.Arm(t0, 6000);
    timer.Arm(t0.addMsecs(5000), 6000);  // re-arming replaces the deadline
    EXPECT_FALSE(timer.Expire(t0.addMsecs(10000)));
    EXPECT_TRUE(timer.Expire(t0.addMsecs(11001)));
}

TEST(StateTimer, ClockSetBackRestartsTheWait) {
    platform::DateTime t0{2024, 3, 15, 9, 0, 0, 0};
    TStateTimer timer;
    timer.Arm(t0, 6000);
    const platform::DateTime back = t0.addMsecs(-3600 * 1000);
    EXPECT_FALSE(timer.Expire(back));
    EXPECT_FALSE(timer.Expire(back.addMsecs(6000)));
    EXPECT_TRUE(timer.Expire(back.addMsecs(6001)));
}

TEST(StateTimer, TickOfTheAgentNeverNests) {
    AgentHarness h;
    h.Init();
    int ticks = 0;
    h.agent->OnStateTick = [&] {
        ++ticks;
        h.agent->TimerTick();  // as a message box that runs the event loop would
    };
    h.timer->tick();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(h.timer->interval(), 100);
}

TEST(CallTypeName, NamesEveryType) {
    EXPECT_EQ(CallTypeName(0), "空闲");
    EXPECT_EQ(CallTypeName(1), "接听");
    EXPECT_EQ(CallTypeName(2), "呼出");
    EXPECT_EQ(CallTypeName(11), "未接来电");
    EXPECT_EQ(CallTypeName(7), "未定义的类型:7");
    EXPECT_EQ(CallTypeName(-1), "未定义的类型:-1");
}

TEST(NumberEventText, ByNumberKindAndType) {
    TTelAttr a;
    a.Province = "广东";
    a.City = "深圳";
    a.ServiceName = "名";
    a.TelType = 2;
    EXPECT_EQ(NumberEventText(kNumberOutsideCaller, "1", a), "1|2|广东深圳名");
    EXPECT_EQ(NumberEventText(kNumberOutgoingOutside, "1", a), "1|2|名");
    a.TelType = 1;
    EXPECT_EQ(NumberEventText(kNumberOutsideCaller, "1", a), "1|1|名");
    a.ServiceName.clear();
    EXPECT_EQ(NumberEventText(kNumberOutgoingOutside, "1", a), "1|1|广东深圳");
    EXPECT_EQ(NumberEventText(kNumberInsideCaller, "801", a), "801");
    EXPECT_EQ(NumberEventText(kNumberOutgoingExtension, "801", a), "801");
}

TEST(DialledTelNo, NeverCutsBeyondTheDigits) {
    TTelAttr a;
    a.TelType = 3;
    a.NumberPos = 20;
    EXPECT_EQ(DialledTelNo("0138", a), "");
    a.NumberPos = -2;
    EXPECT_EQ(DialledTelNo("0138", a), "0138");
    a.TelType = 2;
    a.IPPrefixLen = 5;
    EXPECT_EQ(DialledTelNo("17951020", a), "020");
}

TEST(VocFileName, HasEveryPartInOrder) {
    EXPECT_EQ(VocFileName("{A}", 1001, "075526261234", {2024, 3, 5, 9, 5, 7, 0}, 2),
              "{A}_1001_075526261234_20240305_090507_2.mp3");
    EXPECT_EQ(VocDayFolderName({2024, 3, 5, 23, 59, 59, 999}), "20240305");
    EXPECT_EQ(FileNameSafeNumber("a/b\\c:d*e?f\"g<h>i|j\x01k"), "a_b_c_d_e_f_g_h_i_j_k");
}

}  // namespace

namespace {

TEST(WorkerMessages, ReachTheirReceivers) {
    AgentHarness h;
    h.Init();
    int shown = 0;
    std::vector<std::pair<unsigned, std::string>> signIn;
    h.agent->OnShowMain = [&] { ++shown; };
    h.agent->SignInMessageHandler = [&](platform::Message& m) {
        signIn.emplace_back(m.number, m.text());
    };
    const platform::TargetHandle window = h.agent->Notifier()->MessageHandle();
    platform::PostMessageTo(window, WM_SHOW_MAIN, 0);
    platform::PostTextMessage(window, WM_TRD_LOG, 0, "<ERROR> 上传语音文件异常-10:refused");
    platform::PostTextMessage(window, WM_TRD_LOGIN, 1, "{\"State\":1000}");
    platform::PostTextMessage(window, WM_TRD_LOGOUT, 0, "{}");
    platform::PostTextMessage(window, 4242, 0, "ignored");
    h.RunMessages();
    EXPECT_EQ(shown, 1);
    EXPECT_NE(h.LogText().find("] <ERROR> 上传语音文件异常-10:refused\r\n"), std::string::npos);
    ASSERT_EQ(signIn.size(), 2u);
    EXPECT_EQ(signIn[0], (std::pair<unsigned, std::string>{WM_TRD_LOGIN, "{\"State\":1000}"}));
    EXPECT_EQ(signIn[1].first, WM_TRD_LOGOUT);
    // Without a receiver the messages are dropped.
    h.agent->OnShowMain = nullptr;
    h.agent->SignInMessageHandler = nullptr;
    platform::PostMessageTo(window, WM_SHOW_MAIN, 0);
    platform::PostTextMessage(window, WM_TRD_LOGIN, 1, "{}");
    h.RunMessages();
    EXPECT_EQ(shown, 1);
}

TEST(WorkerMessages, NotificationWindowIsCreatedOnceAndHidden) {
    AgentHarness h;
    h.Init();
    EXPECT_EQ(h.TakeWindowCalls(), std::vector<std::string>{"HideWarn"});
    h.agent->SetWarnEnabled(false);
    h.agent->StartDemo();
    h.agent->SimulateEvent(0, "");
    EXPECT_EQ(h.TakeWindowCalls(), (std::vector<std::string>{"SetEnabled(0)", "HideWarn"}));
}

}  // namespace
