// The program quorvel-demo-service as other tests start it: --port 0, the port read from
// "listening on 127.0.0.1:PORT", every request logged, SIGTERM ends it cleanly.
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

// QUORVEL_PROGRAM_DIR under CTest; else the bin folder beside this test's folder.
std::string ProgramDir() {
    if (const char* dir = std::getenv("QUORVEL_PROGRAM_DIR"); dir && *dir)
        return dir;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin")
        .string();
}

class RunningProgram {
  public:
    explicit RunningProgram(const std::vector<std::string>& args) {
        const std::string program = ProgramDir() + "/quorvel-demo-service";
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~RunningProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }

    // Reads stdout until a line containing text appears; the output so far in out.
    bool waitFor(const std::string& text, std::string& out, int timeoutMs = 20000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (output_.find(text) == std::string::npos ||
               output_.find('\n', output_.find(text)) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            output_.append(buffer, static_cast<std::size_t>(n));
        }
        out = output_;
        return output_.find(text) != std::string::npos;
    }

    // Sends SIGTERM and returns the exit status, or -1.
    int terminate() {
        kill(pid_, SIGTERM);
        return wait();
    }
    // Waits for the program to end by itself; its exit status, or -1.
    int wait() {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, 0);
        pid_ = -1;
        return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

class DemoProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "demo-program-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dataDir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dataDir_, ec);
    }
    std::string dataDir_;
};

TEST_F(DemoProgramTest, StartsOnAFreePortPrintsAccountsLogsRequestsAndStops) {
    RunningProgram program(
        {"--port", "0", "--data-dir", dataDir_, "--offer-version", "Quorvel=2.0.0.0"});
    std::string out;
    ASSERT_TRUE(program.waitFor("listening on 127.0.0.1:", out)) << out;
    const auto at = out.find("listening on 127.0.0.1:");
    const int port = std::stoi(out.substr(at + 23));
    ASSERT_GT(port, 0);
    for (const char* text : {"\"demo\"", "\"agent1\"", "\"agent2\"", "not for production"})
        EXPECT_NE(out.find(text), std::string::npos) << text << " in\n" << out;

    httplib::Client client("127.0.0.1", port);
    auto res = client.Post(("/api.aspx?" + SignedQuery(1021, "EnterpriseID", "demo")).c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(Json::parse(res->body)["State"], 1000);
    auto version = client.Get("/verinfo/QuorvelVerInfo/");
    ASSERT_TRUE(version);
    EXPECT_EQ(Json::parse(version->body)["RodiZeradUpgradeInfo"][0]["Ver"], "2.0.0.0");

    ASSERT_TRUE(program.waitFor("/verinfo/QuorvelVerInfo/ -> 200", out)) << out;
    EXPECT_NE(out.find("POST /api.aspx?KEY="), std::string::npos) << out;
    EXPECT_EQ(program.terminate(), 0);
    EXPECT_TRUE(std::filesystem::exists(dataDir_ + "/demo-service.db"));
}

TEST_F(DemoProgramTest, BadCommandLineIsRefused) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--port", "70000"},
                                                 {"--frobnicate", "1"},
                                                 {"--port"},
                                                 {"--offer-version", "Quorvel"}}) {
        RunningProgram program(args);
        EXPECT_EQ(program.wait(), 2) << args[0];
    }
}

}  // namespace
}  // namespace demo::testing
