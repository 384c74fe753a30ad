#include "tools/demo-service/src/CommandLine.h"

#include <cstdlib>

#include "platform/Text.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/VersionDocument.h"

namespace demo {

std::string UsageText() {
    return "usage: quorvel-demo-service [--port 8081] [--bind 127.0.0.1] [--db FILE]\n"
           "                            [--data-dir DIR] [--max-upload-bytes N]\n"
           "                            [--offer-version PATH=VER]...\n"
           "  --port 0 binds to any free port; the port is printed as\n"
           "  \"listening on HOST:PORT\" once the service accepts connections.\n"
           "  --offer-version announces version VER (a.b.c.d) of the file PATH, relative to\n"
           "  the client's program folder, in the version document.\n";
}

std::string DefaultDataDir() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/quorvel-demo-service";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/share/quorvel-demo-service";
    return "quorvel-demo-service-data";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    result.options.dataDir = DefaultDataDir();
    Json offered = Json::array();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            result.help = true;
            return result;
        }
        if (i + 1 >= args.size()) {
            result.error = "unknown option or missing value: " + arg;
            return result;
        }
        const std::string& value = args[++i];
        if (arg == "--port") {
            const int port = platform::StrToIntDef(value, -1);
            if (port < 0 || port > 65535) {
                result.error = "--port needs a number from 0 to 65535";
                return result;
            }
            result.options.port = port;
        } else if (arg == "--bind") {
            result.options.bindAddress = value;
        } else if (arg == "--db") {
            result.options.dbPath = value;
        } else if (arg == "--data-dir") {
            result.options.dataDir = value;
        } else if (arg == "--max-upload-bytes") {
            const auto n = platform::ParseInt64(value);
            if (!n || *n <= 0) {
                result.error = "--max-upload-bytes needs a positive number";
                return result;
            }
            result.options.maxUploadBytes = static_cast<std::size_t>(*n);
        } else if (arg == "--offer-version") {
            const auto eq = value.rfind('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 == value.size()) {
                result.error = "--offer-version needs PATH=VER";
                return result;
            }
            offered.push_back({{"Ver", value.substr(eq + 1)}, {"Path", value.substr(0, eq)}});
        } else {
            result.error = "unknown option: " + arg;
            return result;
        }
    }
    if (!offered.empty())
        result.options.settings.emplace_back(kSettingOfferedVersions, DumpJson(offered));
    return result;
}

}  // namespace demo
