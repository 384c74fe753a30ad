// The request addresses of the service API: "/api.aspx?KEY=<signature>&M=..."
// with the signed text first and the further parameters in their order.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TApiQuery {
  public:
    // The signed text is "M=<code>&<firstKey>=<firstValue>".
    TApiQuery(int messageCode, std::string firstKey, std::string firstValue);

    TApiQuery& add(std::string key, std::string value);
    TApiQuery& add(std::string key, long long value);

    // The unencoded signed text, and its signature.
    std::string signedText() const;
    std::string signature() const;
    // "KEY=<signature>&M=..." with every value percent-encoded.
    std::string query() const;
    // "http://<host>:<port>/api.aspx?" + query().
    std::string url(const std::string& host, int port) const;

  private:
    int code_;
    std::string firstKey_;
    std::string firstValue_;
    std::vector<std::pair<std::string, std::string>> further_;
};

// "http://<host>:<port>"
std::string ServiceBaseUrl(const std::string& host, int port);

// The first five characters of the agent ID in decimal (all of them when fewer).
std::string BusId(int userId);

// The file name part of a path, without its folder.
std::string FileNamePart(const std::string& path);
