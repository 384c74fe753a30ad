#include "device/caubox/BoxLog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace caubox {

namespace {

int ConfiguredLevel() {
    static const int level = [] {
        const char* value = std::getenv("CAUBOX_LOG");
        if (value == nullptr || value[0] < '0' || value[0] > '2' || value[1] != '\0') {
            return static_cast<int>(LogLevel::Warning);
        }
        return value[0] - '0';
    }();
    return level;
}

const char* LevelPrefix(LogLevel level) {
    switch (level) {
        case LogLevel::Error:
            return "error: ";
        case LogLevel::Warning:
            return "warning: ";
        case LogLevel::Info:
            return "";
    }
    return "";
}

}  // namespace

void BoxLog(LogLevel level, std::string_view text) {
    if (static_cast<int>(level) > ConfiguredLevel()) {
        return;
    }
    // One write per line, so that lines of different threads do not mix.
    std::string line = "[caubox] ";
    line += LevelPrefix(level);
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace caubox
