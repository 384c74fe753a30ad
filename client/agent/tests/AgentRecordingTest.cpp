// Recording names, folders and the device's answers to a recording request.
#include <gtest/gtest.h>

#include <fstream>

#include "AgentHarness.h"
#include "platform/Paths.h"

namespace {

using Events = std::vector<std::string>;

// An answered incoming call from `number` (empty: no caller number).
void AnsweredCall(AgentHarness& h, const std::string& number) {
    h.Fire(0, 1);
    if (!number.empty())
        h.Fire(2, 0, number);
    h.Fire(3);
}

std::string LastRecordPath(AgentHarness& h) {
    auto f = reinterpret_cast<const char* (*)()>(h.DevSymbol("TestDev_LastRecordPath"));
    return f ? f() : "";
}

AgentHarness& ReadyAgent(AgentHarness& h, platform::DateTime start) {
    h.clock.set(start);
    h.SignIn();
    h.Fire(32, 1, "USB 插入");
    h.TakeEvents();
    return h;
}

struct NameCase {
    const char* name;
    platform::DateTime start;
    std::string number;
    std::string folder;  // under the data folder
    std::string file;    // with {G} for the GUID
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordingName : public ::testing::TestWithParam<NameCase> {};

TEST_P(RecordingName, LiesInTheStartDayFolder) {
    const NameCase& c = GetParam();
    AgentHarness h;
    ReadyAgent(h, c.start);
    AnsweredCall(h, c.number);
    h.Advance(5000);  // across midnight for the first case
    h.Fire(4);
    const std::string expected = h.data.path() + "/" + c.folder + "/" + c.file;
    EXPECT_EQ(MaskGuids(h.agent->VocFile), expected);
    EXPECT_EQ(MaskGuids(LastRecordPath(h)), expected);
    EXPECT_TRUE(platform::FolderExists(h.data.path() + "/" + c.folder));
    EXPECT_EQ(h.agent->VocFileName.front(), '{');
}

INSTANTIATE_TEST_SUITE_P(Recording, RecordingName,
                         ::testing::Values(NameCase{"AcrossMidnight",
                                                    {2024, 12, 31, 23, 59, 58, 500},
                                                    "075526261234",
                                                    "VocFile/20241231",
                                                    "{G}_1001_075526261234_20241231_235958_1.mp3"},
                                           NameCase{"EmptyNumber",
                                                    {2024, 3, 15, 9, 5, 7, 0},
                                                    "",
                                                    "VocFile/20240315",
                                                    "{G}_1001__20240315_090507_1.mp3"},
                                           NameCase{"SeparatorsInTheNumber",
                                                    {2024, 3, 15, 9, 5, 7, 0},
                                                    "12/../3\\4",
                                                    "VocFile/20240315",
                                                    "{G}_1001_12_.._3_4_20240315_090507_1.mp3"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Recording, SameNumberTwiceInOneSecondGivesTwoFiles) {
    AgentHarness h;
    ReadyAgent(h, {2024, 3, 15, 9, 5, 7, 0});
    AnsweredCall(h, "075526261234");
    h.Fire(4);
    const std::string first = LastRecordPath(h);
    AnsweredCall(h, "075526261234");
    h.Fire(4);
    const std::string second = LastRecordPath(h);
    EXPECT_NE(first, second);
    EXPECT_EQ(MaskGuids(first), MaskGuids(second));  // only the GUID differs
    ASSERT_EQ(h.uploads->vocFiles.size(), 2u);
    EXPECT_NE(h.uploads->vocFiles[0].guidVocID, h.uploads->vocFiles[1].guidVocID);
}

TEST(Recording, RefusedByTheDeviceIsReportedBeforeTheConversation) {
    AgentHarness h;
    ReadyAgent(h, {2024, 3, 15, 9, 5, 7, 0});
    reinterpret_cast<void (*)(int32_t)>(h.DevSymbol("TestDev_SetRecordStatus"))(1);
    AnsweredCall(h, "075526261234");
    EXPECT_EQ(h.TakeEvents(), (Events{"2,1,", "3,0,075526261234|2|广东深圳",
                                      "1,19,设备层启动录音失败", "10,1,075526261234|{G}"}));
    EXPECT_FALSE(h.agent->Recording);
    EXPECT_NE(h.LogText().find("<ERROR> 设备层启动录音失败:" + h.agent->VocFile),
              std::string::npos);
    h.Fire(4);
    EXPECT_EQ(h.DevCount("TestDev_StopCount"), 0);  // nothing to stop
    // The call and its recording request still go out.
    EXPECT_EQ(h.uploads->talkLogs.size(), 1u);
    EXPECT_EQ(h.uploads->vocFiles.size(), 1u);
}

TEST(Recording, FolderThatCannotBeCreatedLeavesNoName) {
    AgentHarness h;
    ReadyAgent(h, {2024, 3, 15, 9, 5, 7, 0});
    AnsweredCall(h, "075526261234");  // a first call names its file
    h.Fire(4);
    const std::string previousName = h.agent->VocFileName;
    std::ofstream(h.data.path() + "/VocFile/20240316");  // a file where the day folder goes
    h.clock.set({2024, 3, 16, 8, 0, 0, 0});
    h.TakeEvents();
    AnsweredCall(h, "02088886666");
    EXPECT_EQ(h.TakeEvents(), (Events{"2,1,", "3,0,02088886666|2|广东广州", "1,18,录音文件名为空",
                                      "10,1,02088886666|{G}"}));
    EXPECT_EQ(h.agent->VocFile, "");
    EXPECT_EQ(h.agent->VocFileName, previousName);
    EXPECT_EQ(h.DevCount("TestDev_RecordCount"), 1);
    EXPECT_NE(h.LogText().find("<ERROR> 创建目录失败:" + h.data.path() + "/VocFile/20240316"),
              std::string::npos);
}

TEST(Recording, AgentNotSignedInRecordsNothing) {
    AgentHarness h;
    h.Init();
    h.agent->StartLineService();  // the device, without a sign-in
    h.Fire(32, 1, "USB 插入");
    h.TakeEvents();
    AnsweredCall(h, "075526261234");
    h.Fire(4);
    EXPECT_EQ(h.TakeEvents(),
              (Events{"2,1,", "3,0,075526261234|2|广东深圳", "10,1,075526261234|{G}", "7,1,"}));
    EXPECT_EQ(h.DevCount("TestDev_RecordCount"), 0);
    EXPECT_FALSE(platform::FolderExists(h.data.path() + "/VocFile"));
    EXPECT_TRUE(h.uploads->talkLogs.empty());
    EXPECT_TRUE(h.lookups.empty());
}

TEST(Recording, ConversationNeverCarriesAnEarlierPath) {
    AgentHarness h;
    h.Init();
    h.agent->StartLineService();
    h.Fire(32, 1, "USB 插入");
    h.agent->VocFile = "/left/over/from/an/earlier/call.mp3";
    AnsweredCall(h, "075526261234");
    // Signed in during the conversation: its call log must not name the old file.
    h.agent->LoginState = TRodiZerad::kLoginSignedIn;
    h.Fire(4);
    ASSERT_EQ(h.uploads->talkLogs.size(), 1u);
    EXPECT_EQ(h.uploads->talkLogs[0].locFile, "");
}

}  // namespace
