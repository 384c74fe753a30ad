#include "SignInOptions.h"

#include <charconv>

namespace {

bool ParseInt(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    host = text.substr(0, colon);
    return ParseInt(text.substr(colon + 1), port) && port > 0 && port <= 65535;
}

}  // namespace

bool IsSignInOption(const std::string& option) {
    return option == "--sign-in" || option == "--agent-id" || option == "--password" ||
           option == "--app-id" || option == "--account" || option == "--org" || option == "--name";
}

bool ParseSignInOptions(const std::vector<std::string>& args, TSignInOptions& out,
                        std::string& error) {
    out = TSignInOptions{};
    bool haveAgentId = false;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        if (option == "--sign-in") {
            out.requested = true;
            if (!ParseHostPort(value, out.host, out.port)) {
                error =
                    "--sign-in wants HOST:PORT with a port from 1 to 65535, not \"" + value + "\"";
                return false;
            }
        } else if (option == "--agent-id" || option == "--app-id") {
            int& target = option == "--agent-id" ? out.agentId : out.appId;
            if (!ParseInt(value, target)) {
                error = option + " wants a number, not \"" + value + "\"";
                return false;
            }
            haveAgentId = haveAgentId || option == "--agent-id";
        } else if (option == "--password") {
            out.password = value;
        } else if (option == "--account") {
            out.account = value;
        } else if (option == "--org") {
            out.organization = value;
        } else if (option == "--name") {
            out.name = value;
        }
    }
    if (!out.requested) {
        if (!args.empty()) {
            error = args[0] + " needs --sign-in HOST:PORT";
            return false;
        }
        return true;
    }
    if (!haveAgentId || out.agentId <= 0) {
        error = "--sign-in needs --agent-id with a number above 0";
        return false;
    }
    if (out.password.empty()) {
        error = "--sign-in needs a non-empty --password";
        return false;
    }
    return true;
}
