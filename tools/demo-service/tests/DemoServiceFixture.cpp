#include "tools/demo-service/tests/DemoServiceFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "client/service/ApiSignature.h"

namespace demo::testing {

std::string SignedQuery(int code, const std::string& firstKey, const std::string& value) {
    const std::string signedText = "M=" + std::to_string(code) + "&" + firstKey + "=" + value;
    return "KEY=" + Md5Hex(signedText) + "&" + signedText;
}

std::string ClientUploadBody(const std::string& localPath, const std::string& content) {
    const std::string delimiter = "-----------------------------7cf1d6c47c";
    return delimiter + "\r\n" + "Content-Disposition: form-data; name=\"file1\"; filename=\"" +
           localPath + "\"\r\n" + "Content-Type: application/octet-stream\r\n" + "\r\n" + content +
           "\r\n" + delimiter + "\r\n" + "Content-Disposition: form-data; name=\"text1\"\r\n\r\n" +
           "\r\n" + delimiter + "--";
}

RawExchange SendRaw(int port, const std::string& bytes, bool closeWrite, bool untilHead,
                    int timeoutMs) {
    RawExchange result;
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0)
        return result;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(sock);
        return result;
    }
    // The service may answer and close before everything is sent; that is fine.
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(sock, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    if (closeWrite)
        shutdown(sock, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd p{sock, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) {
            result.peerClosed = true;
            break;
        }
        result.received.append(buffer, static_cast<std::size_t>(n));
        if (untilHead && result.received.find("\r\n\r\n") != std::string::npos)
            break;
    }
    close(sock);
    return result;
}

void DemoServiceTest::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "demo-service-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dataDir_ = pattern;
    DemoServiceOptions options;
    options.port = 0;
    options.dataDir = dataDir_;
    options.dbPath = ":memory:";
    StartService(options);
}

void DemoServiceTest::StartService(DemoServiceOptions options) {
    if (service_)
        service_->stop();
    service_ = std::make_unique<DemoService>(options);
    std::string error;
    ASSERT_TRUE(service_->start(error)) << error;
    ASSERT_GT(service_->port(), 0);
}

void DemoServiceTest::TearDown() {
    if (service_)
        service_->stop();
    service_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dataDir_, ec);
}

httplib::Client DemoServiceTest::Client() const {
    httplib::Client client("127.0.0.1", service_->port());
    client.set_read_timeout(10, 0);
    client.set_connection_timeout(5, 0);
    client.set_url_encode(false);  // targets go on the wire exactly as the tests write them
    return client;
}

namespace {
Json ParseBody(const httplib::Result& res, int expectedStatus) {
    if (!res) {
        ADD_FAILURE() << "no answer: " << httplib::to_string(res.error());
        return Json();
    }
    EXPECT_EQ(res->status, expectedStatus) << res->body;
    return Json::parse(res->body, nullptr, false);
}
}  // namespace

Json DemoServiceTest::PostJson(const std::string& target, int expectedStatus) {
    auto client = Client();
    return ParseBody(client.Post(target.c_str()), expectedStatus);
}

Json DemoServiceTest::GetJson(const std::string& target, int expectedStatus) {
    auto client = Client();
    return ParseBody(client.Get(target.c_str()), expectedStatus);
}

Json DemoServiceTest::PostAdmin(const std::string& target, const std::string& body,
                                int expectedStatus) {
    auto client = Client();
    return ParseBody(client.Post(target.c_str(), body, "application/json"), expectedStatus);
}

}  // namespace demo::testing
