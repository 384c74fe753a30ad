// A demo service on an ephemeral loopback port, with a temporary data folder, and helpers to
// talk to it over real HTTP.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>

#include "tools/demo-service/src/DemoService.h"
#include "tools/demo-service/src/JsonText.h"

namespace demo::testing {

// "KEY=<Md5Hex of signed>&<signed>" for the signed text "M=<code>&<key>=<value>".
std::string SignedQuery(int code, const std::string& firstKey, const std::string& value);

// Builds the client's exact upload body for a file path and content.
std::string ClientUploadBody(const std::string& localPath, const std::string& content);

// Sends raw bytes over a new loopback connection and reads until the peer closes, an answer's
// head has arrived (with untilHead), or timeoutMs passes. closeWrite ends the sending side
// after the bytes.
struct RawExchange {
    std::string received;
    bool peerClosed = false;  // the service closed the connection
};
RawExchange SendRaw(int port, const std::string& bytes, bool closeWrite, bool untilHead = false,
                    int timeoutMs = 10000);

class DemoServiceTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the service; SetUp calls it with the default options.
    void StartService(DemoServiceOptions options);

    httplib::Client Client() const;
    // POST to a raw target ("/api.aspx?...") and the body parsed as JSON (null when not JSON).
    Json PostJson(const std::string& target, int expectedStatus = 200);
    Json GetJson(const std::string& target, int expectedStatus = 200);
    Json PostAdmin(const std::string& target, const std::string& body, int expectedStatus = 200);

    std::string dataDir_;
    std::unique_ptr<DemoService> service_;
};

}  // namespace demo::testing
