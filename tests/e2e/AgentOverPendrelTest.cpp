// The headless agent with the real device library and the virtual box in its
// program folder, driven through the box's control tool: calls as an agent sees them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

class AgentOverPendrel : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = tmp_.file("program");
        data_ = tmp_.file("data");
        fs::create_directories(program_);
        fs::create_directories(data_);
        fs::create_directories(tmp_.file("config"));
        for (const char* file : {E2E_PENDREL_LIBRARY, E2E_CAUBOX_LIBRARY, E2E_DIAL_RULES}) {
            fs::copy_file(file, fs::path(program_) / fs::path(file).filename());
        }
        agent_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{E2E_QUORVEL_CLI, "agent", "--program-dir", program_,
                                     "--data-dir", data_},
            Env());
        ASSERT_TRUE(WaitForEvents(2, 20s)) << agent_->Out() << agent_->Err();
        ASSERT_EQ(Events(), (Lines{"1\t10\t准备初始化设备", "1\t101\tUSB 插入"}));
        seen_ = 2;
    }

    void TearDown() override {
        if (agent_) {
            agent_->CloseInput();
            EXPECT_EQ(agent_->Wait(), 0) << agent_->Err();
        }
    }

    std::map<std::string, std::string> Env() const {
        return {{"CAUBOX_CONTROL", Socket()},
                {"XDG_CONFIG_HOME", tmp_.file("config")},
                {"QUORVEL_PROGRAM_DIR", program_},
                {"PENDREL_NO_MESSAGE_BOX", "1"},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""}};
    }
    std::string Socket() const { return tmp_.file("box.sock"); }

    // One command to the box through uboxctl, which must accept it.
    void Box(const std::string& command) {
        const RunResult r = RunProgram({E2E_UBOXCTL, "-s", Socket(), command}, "", {});
        ASSERT_EQ(r.status, 0) << command << ": " << r.out << r.err;
    }
    void Box(const std::string& command, const std::string& argument) {
        const RunResult r = RunProgram({E2E_UBOXCTL, "-s", Socket(), command, argument}, "", {});
        ASSERT_EQ(r.status, 0) << command << " " << argument << ": " << r.out << r.err;
    }

    bool WaitForEvents(std::size_t count, std::chrono::milliseconds limit = 10s) {
        return agent_->WaitForLines(count, limit);
    }
    // Waits until `more` events have come since those already taken, and takes them.
    Lines Next(std::size_t more, std::chrono::milliseconds limit = 10s) {
        EXPECT_TRUE(WaitForEvents(seen_ + more, limit))
            << "waiting for " << more << " more after:\n"
            << agent_->Out() << agent_->Err();
        const Lines all = Events();
        const std::size_t from = std::min(seen_, all.size());
        const std::size_t to = std::min(seen_ + more, all.size());
        seen_ = to;
        return Lines(all.begin() + from, all.begin() + to);
    }
    // The agent's events so far, GUIDs masked.
    Lines Events() const {
        static const std::regex guid(
            R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
        Lines out;
        for (const auto& line : agent_->OutLines()) {
            out.push_back(std::regex_replace(line, guid, "{G}"));
        }
        return out;
    }

    testsupport::TempDir tmp_;
    std::string program_, data_;
    std::unique_ptr<ChildProcess> agent_;
    std::size_t seen_ = 0;
};

TEST_F(AgentOverPendrel, AnsweredIncomingCall) {
    Box("ring");
    EXPECT_EQ(Next(1), (Lines{"2\t1\t"}));
    Box("cid", "075526261234");
    const Lines number = Next(1);
    ASSERT_EQ(number.size(), 1u);
    EXPECT_TRUE(number[0].starts_with("3\t0\t075526261234|")) << number[0];
    Box("ring");
    EXPECT_EQ(Next(1), (Lines{"2\t2\t075526261234"}));
    // The headless agent is not signed in, so it records nothing: no event 6.
    Box("offhook");
    EXPECT_EQ(Next(1), (Lines{"10\t1\t075526261234|{G}"}));
    Box("dtmf", "5");
    EXPECT_EQ(Next(1), (Lines{"8\t1\t5"}));
    Box("onhook");
    EXPECT_EQ(Next(1), (Lines{"7\t1\t"}));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Events().size(), seen_);
}

TEST_F(AgentOverPendrel, MissedCall) {
    Box("ring");
    Box("cid", "13800138000");
    Box("ring");
    const Lines rang = Next(3);
    ASSERT_EQ(rang.size(), 3u);
    EXPECT_EQ(rang[0], "2\t1\t");
    EXPECT_TRUE(rang[1].starts_with("3\t0\t13800138000|")) << rang[1];
    EXPECT_EQ(rang[2], "2\t2\t13800138000");
    // Six seconds after the last ring the call is missed; no hang-up event.
    EXPECT_EQ(Next(1, 15s), (Lines{"9\t2\t13800138000"}));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Events().size(), seen_);
}

TEST_F(AgentOverPendrel, OutgoingCall) {
    Box("offhook");
    EXPECT_EQ(Next(1), (Lines{"5\t2\t"}));
    const std::string number = "13800138000";
    for (char digit : number) {
        Box("dtmf", std::string(1, digit));
    }
    Lines digits = Next(number.size());
    for (std::size_t i = 0; i < number.size(); ++i) {
        EXPECT_EQ(digits.at(i), std::string("8\t2\t") + number[i]);
    }
    // The number is complete at once, or 10 seconds after the last digit.
    const Lines started = Next(2, 15s);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_TRUE(started[0].starts_with("3\t2\t13800138000|")) << started[0];
    EXPECT_EQ(started[1], "10\t2\t13800138000|{G}");
    Box("dtmf", "9");  // during the conversation
    EXPECT_EQ(Next(1), (Lines{"8\t2\t9"}));
    Box("onhook");
    EXPECT_EQ(Next(1), (Lines{"7\t2\t"}));
}

}  // namespace
