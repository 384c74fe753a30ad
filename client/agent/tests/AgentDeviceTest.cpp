// Loading and opening the device library, device status events, the device
// steps of the sign-in, a bad rule file, and closing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "AgentHarness.h"
#include "client/agent/DeviceLibrary.h"
#include "platform/Paths.h"

namespace {

using Events = std::vector<std::string>;

struct InitCase {
    const char* name;
    const char*
        devlib;  // test library variant, "" for none, "broken" for a file that is no library
    int result;
    Events events;
    bool loadedAfter;
};

void PrintTo(const InitCase& c, std::ostream* os) {
    *os << c.name;
}

class InitDeviceOutcome : public ::testing::TestWithParam<InitCase> {};

TEST_P(InitDeviceOutcome, ReportsAndLeavesTheLineAsExpected) {
    const InitCase& c = GetParam();
    const std::string variant = c.devlib;
    AgentHarness h(variant == "broken" ? "" : variant);
    if (variant == "broken") {
        std::ofstream(h.program.path() + "/" + VD_LIBRARY_FILE_NAME) << "not a shared object";
    }
    h.Init();
    h.agent->AgentID = 1001;
    h.agent->LoginState = TRodiZerad::kLoginSignedIn;
    EXPECT_EQ(h.agent->StartLineService(), c.result);
    EXPECT_EQ(h.TakeEvents(), c.events);
    EXPECT_EQ(device_library::IsLoaded(), c.loadedAfter);
    EXPECT_EQ(h.agent->DeviceOpened, c.result == 1);
    if (c.result == 1) {
        EXPECT_EQ(h.agent->Channel, 1);
        EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateWaitDevice);  // the box has not reported in
        EXPECT_EQ(h.uploads->callLogWorkersCreated, 1);
        EXPECT_EQ(h.uploads->vocFileWorkersCreated, 1);
    } else {
        // No workers, and the line stays idle without a device.
        EXPECT_EQ(h.agent->Channel, 0);
        EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateIdle);
        EXPECT_EQ(h.uploads->callLogWorkersCreated, 0);
        h.Advance(20000);
        EXPECT_TRUE(h.TakeEvents().empty());
    }
}

const char* kInit = "1,10,准备初始化设备";

INSTANTIATE_TEST_SUITE_P(
    Device, InitDeviceOutcome,
    ::testing::Values(
        InitCase{"NoLibrary", "", -2, {kInit, "1,15,装载虚设备Dll失败"}, false},
        InitCase{"NotALibrary", "broken", -2, {kInit, "1,15,装载虚设备Dll失败"}, false},
        InitCase{"NoDevOpen", "noopen", -3, {kInit, "1,17,Step:12.Dll_DevOpen 函数不存在."}, false},
        InitCase{"NoGetDevInfo",
                 "noinfo",
                 -3,
                 {kInit, "1,17,Step:19.Dll_GetDevInfo 函数不存在."},
                 false},
        InitCase{"NoChannel", "nochannel", -1, {kInit, "1,16,通道总数为0错误"}, true},
        InitCase{"Opened", "working", 1, {kInit}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InitDevice, LoadFailureIsLoggedWithTheReason) {
    AgentHarness h("");
    h.Init();
    EXPECT_EQ(h.agent->InitDevice(), -2);
    EXPECT_NE(h.LogText().find("<ERROR> 装载虚设备Dll失败: "), std::string::npos) << h.LogText();
}

TEST(InitDevice, ErrorStepIsLogged) {
    AgentHarness h("noopen");
    h.Init();
    EXPECT_EQ(h.agent->InitDevice(), -3);
    EXPECT_NE(h.LogText().find("<ERROR> Step:12.Dll_DevOpen 函数不存在."), std::string::npos);
}

TEST(InitDevice, OpenedDeviceIsClosedBeforeItsLibraryIsUnloaded) {
    AgentHarness h("noinfo");
    const std::string marker = h.data.path() + "/closed";
    setenv("TESTDEV_CLOSE_MARKER", marker.c_str(), 1);
    h.Init();
    EXPECT_EQ(h.agent->InitDevice(), -3);
    unsetenv("TESTDEV_CLOSE_MARKER");
    EXPECT_FALSE(device_library::IsLoaded());
    EXPECT_TRUE(platform::FileExists(marker));
}

TEST(DeviceSteps, WaitForTheBoxThenGoIdle) {
    AgentHarness h;
    h.SignIn();
    h.TakeEvents();
    h.Advance(10000);
    EXPECT_TRUE(h.TakeEvents().empty());
    h.Advance(100);
    EXPECT_EQ(h.TakeEvents(), Events{"1,16,初始化失败,请重新插入Tallisk盒"});
    h.Advance(10100);
    EXPECT_EQ(h.TakeEvents(), Events{"1,16,初始化失败,请重新插入Tallisk盒"});
    // While waiting, line signals do nothing.
    h.Fire(0, 1);
    EXPECT_TRUE(h.TakeEvents().empty());
    h.Fire(32, 1, "USB 插入");
    EXPECT_EQ(h.TakeEvents(), Events{"1,101,USB 插入"});
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateIdle);
    EXPECT_TRUE(h.agent->DeviceReady);
    h.Advance(30000);
    EXPECT_TRUE(h.TakeEvents().empty());
}

TEST(DeviceSteps, BoxReportedInDuringTheOpenGoesStraightToIdle) {
    setenv("TESTDEV_PLUG_ON_OPEN", "1", 1);
    AgentHarness h;
    h.SignIn();
    unsetenv("TESTDEV_PLUG_ON_OPEN");
    EXPECT_EQ(h.TakeEvents(), (Events{kInit, "1,101,USB 插入"}));
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateIdle);
}

TEST(DeviceSteps, RunOncePerProcess) {
    AgentHarness h;
    h.SignIn();
    h.Fire(32, 1, "USB 插入");
    h.TakeEvents();
    h.SignIn();
    EXPECT_TRUE(h.TakeEvents().empty());
    EXPECT_EQ(h.DevCount("TestDev_OpenCount"), 1);
    EXPECT_EQ(h.uploads->callLogWorkersCreated, 1);
    EXPECT_NE(h.LogText().find("<RUN> 设备已经初始化，不需要重新初始化"), std::string::npos);
}

TEST(DeviceStatus, EveryStatusIsPassedOnAsHundredPlusStatus) {
    AgentHarness h;
    h.SignIn();
    h.TakeEvents();
    h.Fire(32, 0, "USB 拔出");
    h.Fire(32, 3, "设备故障");
    h.Fire(32, 4, "设备告警");
    h.Fire(32, 7, "");
    EXPECT_EQ(h.TakeEvents(),
              (Events{"1,100,USB 拔出", "1,103,设备故障", "1,104,设备告警", "1,107,"}));
    EXPECT_FALSE(h.agent->DeviceReady);
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateWaitDevice);
    h.Fire(32, 1, "USB 插入");
    h.Fire(32, 0, "USB 拔出");  // unplugging keeps the device ready
    EXPECT_TRUE(h.agent->DeviceReady);
    EXPECT_EQ(h.agent->LineState, TRodiZerad::kStateIdle);
}

TEST(DeviceStatus, OutOfRangeStatusIsRefusedAndLogged) {
    AgentHarness h;
    h.SignIn();
    h.TakeEvents();
    h.Fire(32, 2147483647, "x");
    h.Fire(32, -5, "x");
    EXPECT_TRUE(h.TakeEvents().empty());
    EXPECT_NE(h.LogText().find("device status 2147483647 refused"), std::string::npos);
    EXPECT_NE(h.LogText().find("device status -5 refused"), std::string::npos);
}

TEST(CloseAgent, ClosesTheDeviceUnloadsAndFreesTheWorkers) {
    AgentHarness h;
    const std::string marker = h.data.path() + "/closed";
    setenv("TESTDEV_CLOSE_MARKER", marker.c_str(), 1);
    h.SignIn();
    h.agent->CloseAgent();
    unsetenv("TESTDEV_CLOSE_MARKER");
    EXPECT_FALSE(device_library::IsLoaded());
    EXPECT_EQ(h.uploads->workersDestroyed, 2);
    std::ifstream in(marker);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "close\n");
}

TEST(CloseAgent, ClosesALibraryWhoseDeviceHadNoChannel) {
    AgentHarness h("nochannel");
    const std::string marker = h.data.path() + "/closed";
    setenv("TESTDEV_CLOSE_MARKER", marker.c_str(), 1);
    h.SignIn();
    EXPECT_TRUE(device_library::IsLoaded());
    h.agent->CloseAgent();
    unsetenv("TESTDEV_CLOSE_MARKER");
    EXPECT_FALSE(device_library::IsLoaded());
    EXPECT_TRUE(platform::FileExists(marker));
}

struct BadRulesCase {
    const char* name;
    const char* xml;  // null: no rule file at all
    std::size_t ipPrefixesKept;
};

void PrintTo(const BadRulesCase& c, std::ostream* os) {
    *os << c.name;
}

class BadRuleFile : public ::testing::TestWithParam<BadRulesCase> {};

// A rule file that fails to load costs neither the device nor the lists read so far.
TEST_P(BadRuleFile, IsReportedAndTheDeviceIsOpenedAnyway) {
    const BadRulesCase& c = GetParam();
    AgentHarness h;
    if (c.xml) {
        h.WriteRules(c.xml);
    } else {
        std::remove((h.program.path() + "/DialRule.xml").c_str());
    }
    h.SignIn();
    EXPECT_EQ(h.TakeEvents(), Events{kInit});
    EXPECT_TRUE(h.agent->DeviceOpened);
    ASSERT_NE(h.agent->Rules(), nullptr);
    EXPECT_EQ(h.agent->Rules()->IPPrefixs().size(), c.ipPrefixesKept);
    ASSERT_EQ(h.box->texts().size(), 1u);
    EXPECT_NE(h.LogText().find("<ERROR> " + h.box->texts()[0]), std::string::npos);
    // The line works.
    h.Fire(32, 1, "USB 插入");
    h.TakeEvents();
    h.Fire(0, 1);
    h.Fire(2, 0, "075526261234");
    EXPECT_EQ(h.TakeEvents(), (Events{"2,1,", "3,0,075526261234|2|"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BadRuleFile,
    ::testing::Values(
        BadRulesCase{"Missing", nullptr, 0},
        BadRulesCase{"NotWellFormed", "<DialRule><IPPrefixs>", 0},
        BadRulesCase{"BadEntry",
                     "<DialRule><IPPrefixs><I IPPrefix=\"17951\" ServiceName=\"a\"/>"
                     "<I IPPrefix=\"12593\" ServiceName=\"b\"/></IPPrefixs>"
                     "<AreaCodes><A AreaCode=\"0755\" TelLength=\"x\"/></AreaCodes></DialRule>",
                     2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
