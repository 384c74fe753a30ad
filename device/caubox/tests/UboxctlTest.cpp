// uboxctl against a box opened in this process: answers printed, exit status
// 0 for OK, 1 for ERR, 2 when no box listens.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "device/caubox/tests/BoxTestSupport.h"

namespace caubox::test {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string output;
};

std::string UboxctlPath() {
    const char* dir = std::getenv("QUORVEL_PROGRAM_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/uboxctl";
}

// Runs uboxctl with the arguments (a shell fragment), stdin from a file when given.
RunResult RunUboxctl(const std::string& arguments, const std::string& input = {}) {
    std::string command = "'" + UboxctlPath() + "' " + arguments;
    if (!input.empty()) {
        const std::string inputFile = MakeTempFolder("ctlin") + "/input.txt";
        std::ofstream(inputFile) << input;
        command += " < '" + inputFile + "'";
    }
    command += " 2>&1";
    RunResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        result.output += buffer;
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(CauBoxUboxctl, SendsOneCommandOrEachInputLineAndReportsTheOutcome) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    struct Case {
        std::string arguments;
        std::string input;
        int exitCode;
        std::string output;
    };
    const Case cases[] = {
        {"ring", "", 0, "OK\n"},
        {"cid 13912345678", "", 0, "OK\n"},
        {"dance", "", 1, "ERR unknown command 'dance' (try 'help')\n"},
        {"cid 139 0000", "", 1, "ERR usage: cid NUMBER (1 to 32 of 0-9 A-Z * # + -)\n"},
        {"", "ring\n# a comment\n\noffhook\ndtmf 5\nonhook\n", 0, "OK\nOK\nOK\nOK\n"},
        {"", "ring\nbogus\nring\n", 1, "OK\nERR unknown command 'bogus' (try 'help')\nOK\n"},
        {"-s '" + box.socketPath() + "' unplug", "", 0, "OK\n"},
        {"ring", "", 1, "ERR the box is unplugged\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + "|" + c.input);
        const RunResult r = RunUboxctl(c.arguments, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.output, c.output);
    }
    EXPECT_TRUE(NotificationLog::Instance().WaitFor(UBOX_EVENT_CALLER_ID));
}

TEST(CauBoxUboxctl, FailsWhenNoBoxListensOrUsageIsWrong) {
    const std::string nowhere = UniqueSocketPath("nobox");
    RunResult r = RunUboxctl("-s '" + nowhere + "' status");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("no box listens on '" + nowhere + "'"), std::string::npos) << r.output;
    r = RunUboxctl("-s");
    EXPECT_EQ(r.exitCode, 64);
    r = RunUboxctl("--help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("usage: uboxctl"), std::string::npos);
}

}  // namespace
}  // namespace caubox::test
