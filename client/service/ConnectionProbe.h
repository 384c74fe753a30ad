// Whether a web address can be reached: a TCP connection to its host and port.
#pragma once

#include <string>

// The probe address: BizAgent/NetProbeUrl, else the operator's web site.
inline constexpr const char* kDefaultProbeAddress = "http://www.quorvel.com/";
std::string ConnectivityProbeAddress();

// Splits "http://host[:port][/...]" (also https, bracketed IPv6); false when
// the address has no host or a bad port.
bool SplitProbeAddress(const std::string& address, std::string& host, int& port);

// Connects to the address's host and port; gives up after timeoutMs.
bool CanReachAddress(const std::string& address, int timeoutMs);
