// The sign-in options of quorvel-cli agent.
#pragma once

#include <string>
#include <vector>

struct TSignInOptions {
    bool requested = false;  // --sign-in was given
    std::string host;
    int port = 0;
    int agentId = 0;
    std::string password;
    int appId = 1;
    std::string account;
    std::string organization;
    std::string name;
};

// --sign-in, --agent-id, --password, --app-id, --account, --org, --name.
bool IsSignInOption(const std::string& option);

// `args` holds option, value, option, value... Without --sign-in no other
// sign-in option may be given; with it --agent-id (above 0) and a non-empty
// --password are required. False with the reason in `error`.
bool ParseSignInOptions(const std::vector<std::string>& args, TSignInOptions& out,
                        std::string& error);
