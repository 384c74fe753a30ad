// A call on the virtual box, through Pendrel, into the agent: the events that
// quorvel-cli agent prints for each signal of the line.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <regex>

#include "ChildProcess.h"

namespace fs = std::filesystem;

namespace {

class AgentOnVirtualBox : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quorvel-box-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "data");
        fs::create_directories(root_ / "config");
        socket_ = (root_ / "box.sock").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    std::map<std::string, std::string> Env() const {
        return {{"CAUBOX_CONTROL", socket_},
                {"XDG_CONFIG_HOME", (root_ / "config").string()},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", ""}};
    }

    // One command to the box; true when it answered OK.
    bool Box(const std::vector<std::string>& command) const {
        std::vector<std::string> argv = {UBOXCTL, "-s", socket_};
        argv.insert(argv.end(), command.begin(), command.end());
        return RunProgram(argv).status == 0;
    }

    fs::path root_;
    std::string socket_;
};

std::string Masked(const std::string& line) {
    static const std::regex guid(
        R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    return std::regex_replace(line, guid, "{G}");
}

TEST_F(AgentOnVirtualBox, AnsweredCallAndUnplug) {
    ChildProcess agent({QUORVEL_CLI, "agent", "--data-dir", (root_ / "data").string()}, Env());
    ASSERT_TRUE(agent.WaitForLines(2, std::chrono::seconds(20))) << agent.Out() << agent.Err();

    struct Signal {
        std::vector<std::string> command;
        std::string event;  // the line it gives, or its start when it ends with "*"
    } signals[] = {
        {{"ring"}, "2\t1\t"},
        {{"cid", "075526261234"}, "3\t0\t075526261234|2|*"},
        {{"ring"}, "2\t2\t075526261234"},
        {{"offhook"}, "10\t1\t075526261234|{G}"},
        {{"dtmf", "5"}, "8\t1\t5"},
        {{"onhook"}, "7\t1\t"},
        {{"unplug"}, "1\t100\tUSB 拔出"},
        {{"plug"}, "1\t101\tUSB 插入"},
    };
    std::size_t lines = 2;
    for (const Signal& s : signals) {
        ASSERT_TRUE(Box(s.command)) << s.command[0];
        ++lines;
        ASSERT_TRUE(agent.WaitForLines(lines, std::chrono::seconds(10)))
            << s.command[0] << "\n"
            << agent.Out() << agent.Err();
        const std::string got = Masked(agent.OutLines().at(lines - 1));
        if (s.event.back() == '*') {
            EXPECT_EQ(got.substr(0, s.event.size() - 1), s.event.substr(0, s.event.size() - 1));
        } else {
            EXPECT_EQ(got, s.event);
        }
    }
    agent.CloseInput();
    EXPECT_EQ(agent.Wait(), 0) << agent.Err();
    const auto all = agent.OutLines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], "1\t10\t准备初始化设备");
    EXPECT_EQ(all[1], "1\t101\tUSB 插入");
    EXPECT_EQ(all.size(), lines);  // nothing else
}

}  // namespace
