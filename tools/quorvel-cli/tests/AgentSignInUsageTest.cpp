// quorvel-cli agent --sign-in: bad usage, and a sign-in that gets no answer.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ChildProcess.h"

namespace fs = std::filesystem;

namespace {

TEST(AgentSignInUsage, BadOptionsAreRefusedWithTheirReason) {
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{"--agent-id", "8001"}, "--agent-id needs --sign-in HOST:PORT"},
        {{"--sign-in", "127.0.0.1", "--agent-id", "1", "--password", "p"}, "wants HOST:PORT"},
        {{"--sign-in", "127.0.0.1:0", "--agent-id", "1", "--password", "p"}, "wants HOST:PORT"},
        {{"--sign-in", ":80", "--agent-id", "1", "--password", "p"}, "wants HOST:PORT"},
        {{"--sign-in", "127.0.0.1:80x", "--agent-id", "1", "--password", "p"}, "wants HOST:PORT"},
        {{"--sign-in", "127.0.0.1:80", "--password", "p"}, "needs --agent-id"},
        {{"--sign-in", "127.0.0.1:80", "--agent-id", "0", "--password", "p"}, "needs --agent-id"},
        {{"--sign-in", "127.0.0.1:80", "--agent-id", "7a", "--password", "p"},
         "--agent-id wants a number"},
        {{"--sign-in", "127.0.0.1:80", "--agent-id", "1"}, "non-empty --password"},
        {{"--sign-in", "127.0.0.1:80", "--agent-id", "1", "--password", ""},
         "non-empty --password"},
        {{"--sign-in", "127.0.0.1:80", "--agent-id", "1", "--password", "p", "--app-id", "x"},
         "--app-id wants a number"},
        {{"--sign-in"}, "unknown or incomplete option --sign-in"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {QUORVEL_CLI, "agent"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const RunResult r = RunProgram(argv, "", {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(r.status, 2) << c.reason;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.reason;
    }
}

TEST(AgentSignInUsage, UnansweredSignInEndsWithStatusOne) {
    std::string pattern = (fs::temp_directory_path() / "quorvel-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "program");
    fs::create_directories(root / "data");
    // Port 1 on loopback: nothing listens, the connection is refused at once.
    const RunResult r =
        RunProgram({QUORVEL_CLI, "agent", "--program-dir", (root / "program").string(),
                    "--data-dir", (root / "data").string(), "--verbose", "--sign-in", "127.0.0.1:1",
                    "--agent-id", "8001", "--password", "s3cret"},
                   "", {{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("<ERROR> 登录操作异常<-1>:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the sign-in got no answer"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    std::string log;
    for (const auto& entry : fs::directory_iterator(root / "data" / "Log")) {
        std::ifstream in(entry.path(), std::ios::binary);
        log.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(log.find("SetLoginEx 8001 ******"), std::string::npos) << log;
    EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;
    fs::remove_all(root);
}

}  // namespace
