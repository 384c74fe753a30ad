// uboxctl: sends commands to the virtual USB box's control socket and prints the answers.
//
//   uboxctl [-s SOCKET] COMMAND [ARGUMENT...]   one command from the arguments
//   uboxctl [-s SOCKET] < commands.txt          each line of standard input
//
// Exit status: 0 every answer was OK, 1 some answer was ERR, 2 no box listens
// or the connection failed, 64 bad usage.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "device/caubox/ControlSocketPath.h"
#include "device/caubox/uboxctl/ControlClient.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitErrAnswer = 1;
constexpr int kExitNoBox = 2;
constexpr int kExitUsage = 64;

void PrintUsage(std::FILE* to) {
    std::fputs(
        "usage: uboxctl [-s SOCKET] COMMAND [ARGUMENT...]\n"
        "       uboxctl [-s SOCKET] < FILE   (one command a line)\n"
        "Commands: plug, unplug, ring, cid NUMBER, offhook, onhook, dtmf DIGIT, alarm,\n"
        "failure, voltage N, event CODE [PARAM], audio [WAVFILE], status, help.\n"
        "SOCKET defaults to $CAUBOX_CONTROL, else caubox.sock in $XDG_RUNTIME_DIR or /tmp.\n",
        to);
}

bool IsSkippedInputLine(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    return first == std::string::npos || line[first] == '#';
}

}  // namespace

int main(int argc, char** argv) {
    std::string socketPath = caubox::ControlSocketPath();
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (words.empty() && (arg == "-h" || arg == "--help")) {
            PrintUsage(stdout);
            return kExitOk;
        }
        if (words.empty() && (arg == "-s" || arg == "--socket")) {
            if (i + 1 >= argc) {
                PrintUsage(stderr);
                return kExitUsage;
            }
            socketPath = argv[++i];
            continue;
        }
        words.push_back(arg);
    }

    caubox::ControlClient client;
    std::string error;
    if (!client.Connect(socketPath, error)) {
        std::fprintf(stderr, "uboxctl: %s\n", error.c_str());
        return kExitNoBox;
    }

    std::vector<std::string> commands;
    const bool fromArguments = !words.empty();
    if (fromArguments) {
        std::string command;
        for (const std::string& word : words) {
            command += (command.empty() ? "" : " ") + word;
        }
        commands.push_back(command);
    }

    int status = kExitOk;
    auto run = [&](const std::string& command) {
        std::string answer;
        if (!client.Exchange(command, answer, error)) {
            std::fprintf(stderr, "uboxctl: %s\n", error.c_str());
            return false;
        }
        std::printf("%s\n", answer.c_str());
        std::fflush(stdout);
        if (answer.rfind("OK", 0) != 0) {
            status = kExitErrAnswer;
        }
        return true;
    };

    if (fromArguments) {
        if (!run(commands.front())) {
            return kExitNoBox;
        }
        return status;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (IsSkippedInputLine(line)) {
            continue;
        }
        if (!run(line)) {
            return kExitNoBox;
        }
    }
    return status;
}
