// The command line of quorvel-demo-service.
#pragma once

#include <string>
#include <vector>

#include "tools/demo-service/src/DemoService.h"

namespace demo {

struct CommandLine {
    DemoServiceOptions options;
    bool help = false;
    std::string error;  // empty when the command line was understood
};

// [--port 8081] [--bind 127.0.0.1] [--db FILE] [--data-dir DIR] [--max-upload-bytes N]
// [--offer-version PATH=VER]...
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

// $XDG_DATA_HOME/quorvel-demo-service, else ~/.local/share/quorvel-demo-service, else
// ./quorvel-demo-service-data.
std::string DefaultDataDir();

}  // namespace demo
