// The service API: the answers to the messages of "/api.aspx" and of the application sign-in
// address. Every answer is a compact JSON object whose first member is "State".
#pragma once

#include <string>
#include <string_view>

#include "tools/demo-service/src/DemoDatabase.h"

namespace demo {

// The States this service answers with.
enum ApiState : int {
    kStateOk = 1000,
    kStateWrongPassword = 1004,   // unknown user or wrong password
    kStateNotInPhoneBook = 1006,  // M=1001: nothing known about the number
    kStateBadRequest = 4000,      // malformed, missing or invalid parameter
    kStateBadSignature = 4003,    // KEY missing or not the digest of the signed text
    kStateUnknownMessage = 4004,  // no such M at this address
    kStateUnknownApplication = 4005,
    kStateNoSuchEnterprise = 4007,  // M=1021: no enterprise with that account
    kStateServerError = 5000,
};

inline constexpr char kApiPath[] = "/api.aspx";
inline constexpr char kAppLoginPath[] = "/AppLogin.aspx";
inline constexpr char kRingPagePath[] = "/Modules/CallPopup.aspx";
inline constexpr char kHomePagePath[] = "/Modules/Home.aspx";

// Answers M=1000, 1001, 1002 and 1021. target is the raw request target (path and query);
// selfHostPort is this service's "host:port" as the client reached it.
std::string AnswerApiRequest(DemoDatabase& db, const std::string& selfHostPort,
                             std::string_view target);

// Answers M=2001 at the application sign-in address.
std::string AnswerAppLoginRequest(DemoDatabase& db, std::string_view target);

// {"State":state,"Message":message}
std::string StateAnswer(int state, const std::string& message);

}  // namespace demo
