// quorvel-cli agent signs in to quorvel-demo-service as a seeded agent and
// takes a call on the virtual box; the service receives the call log and the
// recording.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;

namespace {

constexpr const char* kOrg = "演示中心_01|客服部_0105|一组_010502";

class AgentSignInEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = tmp_.file("program");
        for (const char* dir : {"program", "data", "config", "service"})
            fs::create_directories(tmp_.file(dir));
        for (const char* file : {E2E_PENDREL_LIBRARY, E2E_CAUBOX_LIBRARY, E2E_DIAL_RULES})
            fs::copy_file(file, fs::path(program_) / fs::path(file).filename());
        service_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{E2E_DEMO_SERVICE, "--port", "0", "--data-dir",
                                     tmp_.file("service")},
            std::map<std::string, std::string>{});
        // Start-up lines end with "listening on 127.0.0.1:PORT".
        for (std::size_t lines = 1; port_ == 0 && lines < 100; ++lines) {
            ASSERT_TRUE(service_->WaitForLines(lines, 20s)) << service_->Out() << service_->Err();
            const std::string line = service_->OutLines().at(lines - 1);
            const std::string prefix = "listening on 127.0.0.1:";
            if (line.rfind(prefix, 0) == 0)
                port_ = std::stoi(line.substr(prefix.size()));
        }
        ASSERT_GT(port_, 0);
    }

    std::unique_ptr<ChildProcess> StartAgent(const std::string& password) {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{E2E_QUORVEL_CLI,
                                     "agent",
                                     "--program-dir",
                                     program_,
                                     "--data-dir",
                                     tmp_.file("data"),
                                     "--verbose",
                                     "--sign-in",
                                     "127.0.0.1:" + std::to_string(port_),
                                     "--agent-id",
                                     "8001",
                                     "--password",
                                     password,
                                     "--app-id",
                                     "1",
                                     "--account",
                                     "agent1",
                                     "--org",
                                     kOrg,
                                     "--name",
                                     "张三"},
            std::map<std::string, std::string>{{"CAUBOX_CONTROL", tmp_.file("box.sock")},
                                               {"XDG_CONFIG_HOME", tmp_.file("config")},
                                               {"PENDREL_NO_MESSAGE_BOX", "1"},
                                               {"QT_QPA_PLATFORM", "offscreen"},
                                               {"DISPLAY", ""},
                                               {"WAYLAND_DISPLAY", ""}});
    }

    void Box(const std::vector<std::string>& command) {
        std::vector<std::string> argv = {E2E_UBOXCTL, "-s", tmp_.file("box.sock")};
        argv.insert(argv.end(), command.begin(), command.end());
        const RunResult r = RunProgram(argv);
        ASSERT_EQ(r.status, 0) << command[0] << ": " << r.out << r.err;
    }

    // Waits until the agent printed a line that starts with `start`; returns it.
    std::string AwaitEvent(ChildProcess& agent, const std::string& start) {
        for (std::size_t lines = 1; lines < 200; ++lines) {
            if (!agent.WaitForLines(lines, 10s))
                break;
            const std::string line = agent.OutLines().at(lines - 1);
            if (line.rfind(start, 0) == 0)
                return line;
        }
        ADD_FAILURE() << "no event " << start << " in\n" << agent.Out() << agent.Err();
        return std::string();
    }

    // The rows of an admin read-back list once `ready` holds for them.
    Json AdminRows(const std::string& path, const std::string& member,
                   const std::function<bool(const Json&)>& ready) {
        httplib::Client client("127.0.0.1", port_);
        Json rows = Json::array();
        for (int i = 0; i < 200; ++i) {
            if (auto res = client.Get(path); res && res->status == 200) {
                rows = Json::parse(res->body).value(member, Json::array());
                if (ready(rows))
                    break;
            }
            std::this_thread::sleep_for(50ms);
        }
        return rows;
    }

    testsupport::TempDir tmp_;
    std::string program_;
    std::unique_ptr<ChildProcess> service_;
    int port_ = 0;
};

TEST_F(AgentSignInEndToEnd, AnsweredCallReachesTheServiceWithItsRecording) {
    auto agent = StartAgent("1234");
    const std::string signIn = AwaitEvent(*agent, "11\t1000\t");
    ASSERT_FALSE(signIn.empty());
    const std::string guidKey = "\"GUID\":";
    const std::size_t at = signIn.find(guidKey);
    ASSERT_NE(at, std::string::npos);
    const std::string guid =
        signIn.substr(at + guidKey.size(), signIn.find(',', at) - at - guidKey.size());
    ASSERT_FALSE(AwaitEvent(*agent, "1\t101\t").empty());  // the box is plugged in

    Box({"ring"});
    Box({"cid", "13800138000"});
    ASSERT_FALSE(AwaitEvent(*agent, "4\t0\t{\"State\":1000").empty());  // the caller look-up
    Box({"ring"});
    Box({"offhook"});
    const std::string talk = AwaitEvent(*agent, "10\t1\t13800138000|");
    ASSERT_FALSE(talk.empty());
    const std::string vocId = talk.substr(talk.find('|') + 1);
    std::this_thread::sleep_for(300ms);  // some seconds of speech are not needed
    Box({"onhook"});
    ASSERT_FALSE(AwaitEvent(*agent, "7\t1\t").empty());

    const Json logs =
        AdminRows("/admin/calllogs", "callLogs", [](const Json& rows) { return !rows.empty(); });
    ASSERT_EQ(logs.size(), 1u) << logs.dump();
    EXPECT_EQ(logs[0].value("AgentID", 0), 8001);
    EXPECT_EQ(logs[0].value("TalkType", 0), 1);
    EXPECT_EQ(logs[0].value("TeleNumber", ""), "13800138000");
    EXPECT_EQ(logs[0].value("VocID", ""), vocId);
    EXPECT_EQ(logs[0].value("Guid", ""), guid);  // as the sign-in answer gave it
    EXPECT_EQ(logs[0].value("UserFullCode", ""), "01_0105_010502");
    EXPECT_EQ(logs[0].value("UserName", ""), "张三");

    const Json recordings = AdminRows("/admin/recordings", "recordings",
                                      [](const Json& rows) { return !rows.empty(); });
    ASSERT_EQ(recordings.size(), 1u) << recordings.dump();
    EXPECT_EQ(recordings[0].value("VocID", ""), vocId);
    EXPECT_EQ(recordings[0].value("buid", ""), "8001");
    EXPECT_GT(recordings[0].value("size", 0), 0);

    agent->CloseInput();
    EXPECT_EQ(agent->Wait(), 0) << agent->Err();
    // The worker log lines also went to standard error.
    EXPECT_NE(agent->Err().find("<MSG> 话单上传成功:"), std::string::npos) << agent->Err();
    service_->Signal(SIGTERM);
    EXPECT_EQ(service_->Wait(), 0);
}

TEST_F(AgentSignInEndToEnd, RefusedSignInEndsWithStatusOne) {
    auto agent = StartAgent("wrong");
    ASSERT_FALSE(AwaitEvent(*agent, "11\t1004\t").empty());
    EXPECT_EQ(agent->Wait(), 1) << agent->Err();
    EXPECT_NE(agent->Err().find("sign-in refused, State 1004"), std::string::npos);
    EXPECT_EQ(agent->OutLines().size(), 1u);  // no device was opened
}

}  // namespace
