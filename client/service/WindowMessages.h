// The private window messages that the workers post, and the one a second
// start of the client sends.
#pragma once

inline constexpr unsigned WM_USER = 1024;

inline constexpr unsigned WM_SHOW_MAIN = WM_USER + 100;       // 1124
inline constexpr unsigned WM_TRD_LOGIN = WM_USER + 110;       // 1134, wParam sign-in sequence
inline constexpr unsigned WM_TRD_LOGOUT = WM_USER + 111;      // 1135, never posted
inline constexpr unsigned WM_TRD_LOG = WM_USER + 112;         // 1136, one log line
inline constexpr unsigned WM_TRD_CALLERINFO = WM_USER + 120;  // 1144, wParam call sequence
inline constexpr unsigned WM_TRD_ENTERPRISE = WM_USER + 200;  // 1224, wParam transport code
inline constexpr unsigned WM_TRD_APPLOGIN = WM_USER + 201;    // 1225, wParam transport code
inline constexpr unsigned WM_TRD_VERINFO = WM_USER + 202;     // 1226, wParam transport code
inline constexpr unsigned WM_TRD_NETSTATE = WM_USER + 300;    // 1324, wParam 1 reachable, 0 not
