// quorvel-cli agent, run as a program with a test device library or none.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "ChildProcess.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

class AgentCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quorvel-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "program");
        fs::create_directories(root_ / "data");
        fs::copy_file(fs::path(CLI_TEST_FIXTURES) / "DialRule.xml",
                      root_ / "program" / "DialRule.xml");
    }
    void TearDown() override { fs::remove_all(root_); }

    void InstallDeviceLibrary() {
        ASSERT_STRNE(CLI_TEST_DEVLIB, "") << "the test device library is not built";
        fs::copy_file(CLI_TEST_DEVLIB, root_ / "program" / "libPendrel.so");
    }

    std::vector<std::string> Args() const {
        return {QUORVEL_CLI,     "agent",
                "--program-dir", (root_ / "program").string(),
                "--data-dir",    (root_ / "data").string()};
    }
    std::map<std::string, std::string> Env() const {
        return {
            {"TESTDEV_PLUG_ON_OPEN", "1"}, {"TESTDEV_CLOSE_MARKER", (root_ / "closed").string()},
            {"QUORVEL_PROGRAM_DIR", ""},   {"DISPLAY", ""},
            {"WAYLAND_DISPLAY", ""},       {"QT_QPA_PLATFORM", ""}};
    }
    std::string Closed() const {
        std::ifstream in(root_ / "closed");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    fs::path root_;
};

Lines Masked(const Lines& lines) {
    static const std::regex guid(
        R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    Lines out;
    for (const auto& l : lines)
        out.push_back(std::regex_replace(l, guid, "{G}"));
    return out;
}

TEST_F(AgentCommand, RunsASimulatedCallOnTheDeviceAndClosesItAtEndOfInput) {
    InstallDeviceLibrary();
    const RunResult r = RunProgram(Args(),
                                   "sim 3 \n"
                                   "sim 4 075526261234\n"
                                   "sim 5 \n"
                                   "sim 6 5\n"
                                   "sim 1 \n"
                                   "sim 5\n"
                                   "sim 6 9\n"
                                   "sim 6 1\n"
                                   "sim 6 4\n"
                                   "sim 1 \n",
                                   Env());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Masked(r.lines),
              (Lines{"1\t10\t准备初始化设备", "1\t101\tUSB 插入", "2\t1\t",
                     "3\t0\t075526261234|2|广东深圳", "10\t1\t075526261234|{G}", "8\t1\t5",
                     "7\t1\t", "5\t2\t", "8\t2\t9", "8\t2\t1", "8\t2\t4", "7\t2\t"}));
    EXPECT_EQ(Closed(), "close\n");
}

TEST_F(AgentCommand, WithoutADeviceLibraryTheSimulatorStillWorks) {
    const RunResult r = RunProgram(Args(), "sim 3 \nsim 4 114\nsim 1 \n", Env());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines, (Lines{"1\t10\t准备初始化设备", "1\t15\t装载虚设备Dll失败", "2\t1\t",
                              "3\t0\t114|1|查号台", "9\t1\t114"}));
    // The reason is in the log.
    bool logged = false;
    for (const auto& entry : fs::directory_iterator(root_ / "data" / "Log")) {
        std::ifstream in(entry.path());
        std::stringstream ss;
        ss << in.rdbuf();
        logged |= ss.str().find("<ERROR> 装载虚设备Dll失败: ") != std::string::npos;
    }
    EXPECT_TRUE(logged);
}

TEST_F(AgentCommand, EndsCleanlyOnSigterm) {
    InstallDeviceLibrary();
    ChildProcess child(Args(), Env());
    child.Write("sim 3 \n");
    ASSERT_TRUE(child.WaitForLines(3, std::chrono::seconds(20))) << child.Out() << child.Err();
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Wait(), 0) << child.Err();
    EXPECT_EQ(Closed(), "close\n");
}

TEST_F(AgentCommand, BadLinesAreReportedAndSkipped) {
    InstallDeviceLibrary();
    const std::string longLine = "sim 4 " + std::string(100000, '8') + "\n";
    const RunResult r = RunProgram(Args(),
                                   "hello\n"
                                   "sim x 1\n"
                                   "sim 99 a\n"
                                   "\n" +
                                       longLine +
                                       "sim 3 \n"
                                       "sim 4 12\t3\\4\n"
                                       "sim 6 x\n"
                                       "sim 1 \r\n"
                                       "sim 3",  // no line end before end of input
                                   Env());
    EXPECT_EQ(r.status, 0) << r.err;
    // The ring, the number with its tab and backslash escaped, the hang-up of a
    // ringing call (missed), and the ring of the last line without a line end.
    EXPECT_EQ(r.lines, (Lines{"1\t10\t准备初始化设备", "1\t101\tUSB 插入", "2\t1\t",
                              "3\t0\t12\\t3\\\\4|2|广东深圳", "9\t1\t12\\t3\\\\4", "2\t1\t"}));
    EXPECT_NE(r.err.find("line ignored: not a \"sim KIND TEXT\" line"), std::string::npos);
    EXPECT_NE(r.err.find("KIND \"x\" is not a number"), std::string::npos);
    EXPECT_NE(r.err.find("line longer than"), std::string::npos);
}

TEST_F(AgentCommand, UnknownOptionIsBadUsage) {
    const RunResult r = RunProgram({QUORVEL_CLI, "agent", "--bogus"}, "", Env());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
