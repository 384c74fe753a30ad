// Oversized, truncated and malformed requests get an error answer or a closed connection,
// within a bounded time, and the service keeps serving; many clients at once are served.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "client/service/ApiSignature.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

class DemoRobustnessTest : public DemoServiceTest {
  protected:
    void ExpectStillServing() {
        const Json answer = PostJson("/api.aspx?" + SignedQuery(1001, "AgentID", "8001") +
                                     "&TeleNumber=13800138000&Guid=g");
        EXPECT_EQ(answer["State"], 1000);
    }
    static std::string StatusLine(const std::string& received) {
        return received.substr(0, received.find("\r\n"));
    }
};

std::string ManyParameters(std::size_t count) {
    std::string query;
    query.reserve(count * 4);
    for (std::size_t i = 0; i < count; ++i)
        query += "a=1&";
    return query;
}

TEST_F(DemoRobustnessTest, MalformedRequestsGetAnErrorStatus) {
    const std::string bigQuery = ManyParameters(1000000);
    struct Case {
        const char* what;
        std::string bytes;
        const char* statusPrefix;  // "HTTP/1.1 4" for any client error
    };
    const Case cases[] = {
        {"garbage request line", "GARBAGE\r\n\r\n", "HTTP/1.1 4"},
        {"unknown protocol version", "GET / HTTP/9.9\r\n\r\n", "HTTP/1.1 4"},
        {"a million parameters in the query",
         "GET /api.aspx?" + bigQuery + " HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 414"},
        {"a header line of 100 KiB",
         "GET /probe HTTP/1.1\r\nX-Big: " + std::string(100 * 1024, 'h') + "\r\n\r\n",
         "HTTP/1.1 4"},
        {"a million form parameters in the body",
         "POST /api.aspx HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "Content-Length: " +
             std::to_string(bigQuery.size()) + "\r\n\r\n" + bigQuery,
         "HTTP/1.1 413"},
        {"Content-Length not a number",
         "POST /UploadFiles/demo.asp?buid=1 HTTP/1.1\r\nHost: x\r\n"
         "Content-Type: multipart/form-data\r\nContent-Length: lots\r\n\r\n",
         "HTTP/1.1 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RawExchange raw = SendRaw(service_->port(), c.bytes, false, true);
        EXPECT_EQ(StatusLine(raw.received).rfind(c.statusPrefix, 0), 0u)
            << "answered: " << StatusLine(raw.received);
        ExpectStillServing();
    }
}

TEST_F(DemoRobustnessTest, TruncatedBodyEndsTheConnectionWithoutAHang) {
    const std::string head =
        "POST /UploadFiles/demo.asp?buid=1 HTTP/1.1\r\nHost: x\r\n"
        "Content-Type: multipart/form-data\r\nContent-Length: 100000\r\n\r\n";
    const RawExchange raw =
        SendRaw(service_->port(), head + "-----------------------------7cf1d6c47c\r\n", true);
    EXPECT_TRUE(raw.peerClosed);
    EXPECT_TRUE(service_->database().recordings().empty());
    ExpectStillServing();
}

TEST_F(DemoRobustnessTest, MalformedQueriesGetABadRequestState) {
    const std::string valid = "/api.aspx?" + SignedQuery(1001, "AgentID", "8001");
    const std::string targets[] = {
        valid + "&TeleNumber=%",   valid + "&TeleNumber=%zz",           valid + "&%=1",
        valid + "&TeleNumber=1%2", "/api.aspx?" + ManyParameters(1500), "/api.aspx?&&&&===&&",
        "/api.aspx?KEY",
    };
    for (const auto& target : targets) {
        SCOPED_TRACE(target.substr(0, 80));
        const Json answer = PostJson(target);
        EXPECT_EQ(answer["State"], 4000);
    }
    ExpectStillServing();
}

TEST_F(DemoRobustnessTest, ManyClientsAtOnceAreAllServed) {
    constexpr int kThreads = 8, kRequests = 40;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            auto client = Client();
            for (int i = 0; i < kRequests; ++i) {
                std::string target;
                if (i % 2 == 0) {
                    target = "/api.aspx?" + SignedQuery(1001, "AgentID", "8001") +
                             "&TeleNumber=13800138000&Guid=g";
                } else {
                    target =
                        "/api.aspx?" + SignedQuery(1002, "AgentID", "8001") +
                        "&TalkType=2&StartTime=2024-03-15%2009:30:12&StopTime=2024-03-15%2009:31:00"
                        "&TeleNumber=1&VocID={T" +
                        std::to_string(t) + "-" + std::to_string(i) + "}";
                }
                auto res = client.Post(target.c_str());
                if (res && res->status == 200 && res->body.find("\"State\":1000") == 1)
                    ++good;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good, kThreads * kRequests);
    EXPECT_EQ(service_->database().callLogs().size(),
              static_cast<std::size_t>(kThreads * kRequests / 2));
    EXPECT_GE(service_->journal().lastSeq(), kThreads * kRequests);
}

}  // namespace
}  // namespace demo::testing
