// The address by which a web page sends a command to the client.
//
// A page navigates to "http://" + kPageBridgeSentinelHost + kPageBridgeActionPath followed by
// raw (not percent-encoded) JSON: {"HandleID":<int>,"ActID":<int>,"sParam":"<text>"}.
// The client upper-cases the URL to find the sentinel, so the host is written in capitals. The
// ".INVALID" top-level domain never resolves, so no real server can answer the navigation.
#pragma once

namespace webhost {

inline constexpr char kPageBridgeSentinelHost[] = "QUORVEL-BRIDGE.INVALID";
inline constexpr char kPageBridgeActionPath[] = "/ACTION?JSON=";
// The two joined: what the client searches for in the upper-cased URL.
inline constexpr char kPageBridgeSentinel[] = "QUORVEL-BRIDGE.INVALID/ACTION?JSON=";

namespace detail {
constexpr bool IsConcatenation(const char* whole, const char* head, const char* tail) {
    while (*head != '\0')
        if (*whole++ != *head++)
            return false;
    while (*tail != '\0')
        if (*whole++ != *tail++)
            return false;
    return *whole == '\0';
}
}  // namespace detail
static_assert(detail::IsConcatenation(kPageBridgeSentinel, kPageBridgeSentinelHost,
                                      kPageBridgeActionPath));

}  // namespace webhost
