#include "client/shell/TxtLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "ShellFixture.h"
#include "platform/Clock.h"

using platform::DateTime;
using platform::FakeClock;
using testsupport::ReadFile;

namespace {

class TxtLogTest : public ShellFixture {};

TEST_F(TxtLogTest, LineFormatAndFileName) {
    FakeClock clock({2024, 3, 15, 9, 30, 12, 47});
    auto log = makeLog(clock);
    SetProcessLog(log.get());
    LogRun("登录");
    LogWarn("w");
    LogError("e");
    LogMsg("m");
    log->WriteLog("[RUN] 启动");
    ASSERT_EQ(logFiles(), std::vector<std::string>{"RodiZerad240315093012_0.txt"});
    EXPECT_EQ(ReadFile(dir.file("Log/RodiZerad240315093012_0.txt")),
              "[03-15 09:30:12:047] <RUN> 登录\r\n"
              "[03-15 09:30:12:047] <WARN> w\r\n"
              "[03-15 09:30:12:047] <ERROR> e\r\n"
              "[03-15 09:30:12:047] <MSG> m\r\n"
              "[03-15 09:30:12:047] [RUN] 启动\r\n");
}

TEST_F(TxtLogTest, FirstLineAfterMidnightStartsNewSeries) {
    FakeClock clock({2024, 3, 15, 23, 59, 59, 990});
    auto log = makeLog(clock);
    SetProcessLog(log.get());
    LogRun("before");
    clock.advance(5 * 60 * 1000 + 1234);  // 00:05:01.224
    LogRun("after");
    LogRun("same series");
    EXPECT_EQ(logFiles(), (std::vector<std::string>{"RodiZerad240315235959_0.txt",
                                                    "RodiZerad240316000501_0.txt"}));
    EXPECT_EQ(ReadFile(dir.file("Log/RodiZerad240316000501_0.txt")),
              "[03-16 00:05:01:224] <RUN> after\r\n[03-16 00:05:01:224] <RUN> same series\r\n");
}

TEST_F(TxtLogTest, LineCrossingOneMebibyteStaysAndNextGoesToNextFile) {
    FakeClock clock({2024, 3, 15, 9, 0, 0, 0});
    auto log = makeLog(clock);
    const std::string first = dir.file("Log/RodiZerad240315090000_0.txt");
    // Fill the file to 10 bytes below the limit, then cross it with one line.
    std::filesystem::create_directory(dir.file("Log"));
    testsupport::WriteFile(first, std::string(1048576 - 10, 'x'));
    log->WriteLog("crossing");
    EXPECT_EQ(log->sequenceNumber(), 1);
    log->WriteLog("next");
    EXPECT_EQ(std::filesystem::file_size(first), 1048576u - 10 + 21 + 10);
    EXPECT_EQ(ReadFile(dir.file("Log/RodiZerad240315090000_1.txt")),
              "[03-15 09:00:00:000] next\r\n");
}

TEST_F(TxtLogTest, SizeIsCountedInWholeBlocks) {
    FakeClock clock({2024, 3, 15, 9, 0, 0, 0});
    auto log = makeLog(clock);
    std::filesystem::create_directory(dir.file("Log"));
    // 1 MiB - 128 + 127 bytes after the line: still block 8191, so no roll-over.
    const std::string line = "[03-15 09:00:00:000] a\r\n";  // 24 bytes
    testsupport::WriteFile(dir.file("Log/RodiZerad240315090000_0.txt"),
                           std::string(1048576 - 1 - line.size(), 'x'));
    log->WriteLog("a");
    EXPECT_EQ(log->sequenceNumber(), 0);
    log->WriteLog("a");
    EXPECT_EQ(log->sequenceNumber(), 1);
}

TEST_F(TxtLogTest, EnableLogZeroDropsOnlyMsgLines) {
    FakeClock clock;
    auto log = makeLog(clock);
    SetProcessLog(log.get());
    IniWriteInteger("BizAgent", "EnableLog", 0);
    LogMsg("dropped");
    LogRun("r");
    LogWarn("w");
    LogError("e");
    log->WriteLog("direct");
    IniWriteInteger("BizAgent", "enablelog", 2);  // any non-zero value is on
    LogMsg("kept");
    const std::string text = ReadFile(log->currentFileName());
    EXPECT_EQ(text.find("dropped"), std::string::npos);
    for (const char* s : {"<RUN> r", "<WARN> w", "<ERROR> e", "] direct", "<MSG> kept"}) {
        EXPECT_NE(text.find(s), std::string::npos) << s;
    }
}

TEST_F(TxtLogTest, DeletedFolderIsCreatedAgain) {
    FakeClock clock;
    auto log = makeLog(clock);
    log->WriteLog("one");
    std::filesystem::remove_all(dir.file("Log"));
    log->WriteLog("two");
    EXPECT_NE(ReadFile(log->currentFileName()).find("two"), std::string::npos);
}

TEST_F(TxtLogTest, CallsWithoutLogObjectAreIgnored) {
    SetProcessLog(nullptr);
    LogMsg("x");
    LogRun("x");
    LogWarn("x");
    LogError("x");
    EXPECT_TRUE(logFiles().empty());
    EXPECT_TRUE(box->texts().empty());
}

TEST_F(TxtLogTest, WriteFailureShowsBoxLosesLineAndGoesOn) {
    FakeClock clock({2024, 3, 15, 9, 0, 0, 0});
    auto log = makeLog(clock);
    // A folder where the log file should be makes every open fail.
    std::filesystem::create_directories(dir.file("Log/RodiZerad240315090000_0.txt"));
    log->WriteLog("lost line");
    ASSERT_EQ(box->texts().size(), 1u);
    EXPECT_EQ(box->texts()[0].rfind("lost line:", 0), 0u);
    EXPECT_GT(box->texts()[0].size(), std::string("lost line:").size());
    EXPECT_EQ(log->sequenceNumber(), 0);

    std::filesystem::remove(dir.file("Log/RodiZerad240315090000_0.txt"));
    log->WriteLog("next try");
    EXPECT_NE(ReadFile(log->currentFileName()).find("next try"), std::string::npos);
}

TEST_F(TxtLogTest, FullDiskShowsBoxAndKeepsTheSeries) {
    FakeClock clock({2024, 3, 15, 9, 0, 0, 0});
    auto log = makeLog(clock);
    std::filesystem::create_directory(dir.file("Log"));
    std::filesystem::create_symlink("/dev/full", dir.file("Log/RodiZerad240315090000_0.txt"));
    log->WriteLog("no space");
    ASSERT_EQ(box->texts().size(), 1u);
    EXPECT_EQ(box->texts()[0], "no space:" + std::string(std::strerror(ENOSPC)));
    EXPECT_EQ(log->currentFileName(), dir.file("Log/RodiZerad240315090000_0.txt"));
}

TEST_F(TxtLogTest, LogFolderThatCannotBeCreatedDropsSilently) {
    FakeClock clock;
    auto log = makeLog(clock);
    testsupport::WriteFile(dir.file("Log"), "a file, not a folder");
    log->WriteLog("dropped");
    EXPECT_TRUE(box->texts().empty());
}

TEST_F(TxtLogTest, EmptyDataFolderResolvesAgainstCurrentDirectory) {
    SetDataFolder("");
    FakeClock clock;
    auto log = makeLog(clock);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    log->WriteLog("relative");
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(logFiles().empty());
}

}  // namespace
