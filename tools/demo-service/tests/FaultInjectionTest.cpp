// Fault injection and the request journal of the admin API, over HTTP.
#include <gtest/gtest.h>

#include <chrono>

#include "client/service/ApiSignature.h"
#include "tools/demo-service/src/ServiceAddress.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

class DemoFaultInjectionTest : public DemoServiceTest {
  protected:
    std::string lookup() const { return "/api.aspx?" + SignedQuery(1021, "EnterpriseID", "demo"); }
    int StatusOf(const std::string& target) {
        auto client = Client();
        auto res = client.Post(target.c_str());
        return res ? res->status : -1;
    }
};

TEST_F(DemoFaultInjectionTest, StatusFaultLastsForItsCountOrUntilCleared) {
    PostAdmin("/admin/faults", R"({"path":"/api.aspx","mode":"status","status":500,"count":2})");
    EXPECT_EQ(StatusOf(lookup()), 500);
    EXPECT_EQ(StatusOf(lookup()), 500);
    EXPECT_EQ(StatusOf(lookup()), 200);
    EXPECT_TRUE(GetJson("/admin/faults")["faults"].empty());

    PostAdmin("/admin/faults", R"({"path":"/api.aspx","status":404})");  // count 0: until cleared
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StatusOf(lookup()), 404);
    EXPECT_EQ(GetJson("/admin/faults")["faults"][0]["hits"], 3);
    auto client = Client();
    ASSERT_TRUE(client.Delete("/admin/faults"));
    EXPECT_EQ(StatusOf(lookup()), 200);
}

TEST_F(DemoFaultInjectionTest, MatchLimitsAFaultToOneMessageAndQueryFormWorks) {
    PostAdmin("/admin/faults?path=/api.aspx&match=M%3D1002&mode=status&status=503", "");
    EXPECT_EQ(StatusOf(lookup()), 200);
    EXPECT_EQ(StatusOf("/api.aspx?" + SignedQuery(1002, "AgentID", "8001")), 503);
    // A fault on one path leaves the others alone.
    PostAdmin("/admin/faults", R"({"path":"/probe","status":502,"count":1})");
    auto client = Client();
    auto probe = client.Get("/probe");
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->status, 502);
    probe = client.Get("/probe");
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->status, 200);
}

TEST_F(DemoFaultInjectionTest, DelayFaultAnswersNormallyAfterTheDelay) {
    PostAdmin("/admin/faults", R"({"path":"/api.aspx","mode":"delay","delayMs":300,"count":1})");
    const auto start = std::chrono::steady_clock::now();
    const Json answer = PostJson(lookup());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(answer["State"], 1000);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

TEST_F(DemoFaultInjectionTest, DropFaultClosesTheConnectionWithoutAnswer) {
    PostAdmin("/admin/faults", R"({"path":"/api.aspx","mode":"drop","count":1})");
    const RawExchange raw =
        SendRaw(service_->port(), "GET " + lookup() + " HTTP/1.1\r\nHost: x\r\n\r\n", false);
    EXPECT_TRUE(raw.peerClosed);
    EXPECT_EQ(raw.received, "");
    EXPECT_EQ(StatusOf(lookup()), 200);
    const Json journal = GetJson("/admin/requests");
    ASSERT_EQ(journal["requests"].size(), 2u);
    EXPECT_EQ(journal["requests"][0]["status"], 0) << "a dropped request was answered";

    PostAdmin("/admin/faults", R"({"path":"/api.aspx","mode":"drop","count":1})");
    auto client = Client();
    auto res = client.Post(lookup().c_str());
    EXPECT_FALSE(res) << "status " << res->status;
}

TEST_F(DemoFaultInjectionTest, BadFaultRequestsAreRefused) {
    const char* bodies[] = {
        "not json",
        R"({"mode":"status"})",
        R"({"path":"/api.aspx","mode":"explode"})",
        R"({"path":"/api.aspx","status":99})",
        R"({"path":"/api.aspx","status":"abc"})",
        R"({"path":"/api.aspx","mode":"delay","delayMs":999999999})",
        R"({"path":"/api.aspx","count":-1})",
        R"(["path"])",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        const Json answer = PostAdmin("/admin/faults", body, 400);
        EXPECT_TRUE(answer["error"].is_string());
    }
    EXPECT_TRUE(GetJson("/admin/faults")["faults"].empty());
    EXPECT_EQ(PostAdmin("/admin/nothing", "", 404)["error"].is_string(), true);
}

TEST_F(DemoFaultInjectionTest, JournalHoldsTheRawTargetHeadersAndBodyDigest) {
    const long long before = GetJson("/admin/requests")["last"];
    // Sent raw, so that the bytes on the wire are exactly these.
    const std::string target = "/api.aspx?" + SignedQuery(1001, "AgentID", "8001") +
                               "&TeleNumber=%31%33&Guid=%22g%22&Name=张三";
    const RawExchange raw = SendRaw(service_->port(),
                                    "POST " + target +
                                        " HTTP/1.1\r\nHost: x\r\nX-Test: fault-journal\r\n"
                                        "Connection: close\r\nContent-Length: 10\r\n\r\nbody bytes",
                                    false);
    EXPECT_EQ(raw.received.rfind("HTTP/1.1 200", 0), 0u) << raw.received;
    EXPECT_EQ(PostJson("/api.aspx?" + SignedQuery(1021, "EnterpriseID", "x"))["State"], 4007);

    const Json journal = GetJson("/admin/requests?since=" + std::to_string(before));
    const Json& list = journal["requests"];
    ASSERT_EQ(list.size(), 2u) << "admin requests are not journaled";
    const Json& first = list[0];
    EXPECT_EQ(first["target"], target);  // as sent: escapes kept, raw bytes kept
    EXPECT_EQ(first["method"], "POST");
    EXPECT_EQ(first["path"], "/api.aspx");
    EXPECT_EQ(first["bodySize"], 10);
    EXPECT_EQ(first["bodyMd5"], Md5Hex("body bytes"));
    bool sawHeader = false;
    for (const auto& h : first["headers"]) {
        if (h[0] == "X-Test" && h[1] == "fault-journal")
            sawHeader = true;
        EXPECT_NE(h[0], "REMOTE_ADDR");
    }
    EXPECT_TRUE(sawHeader);
    EXPECT_GT(list[1]["seq"].get<long long>(), first["seq"].get<long long>());

    auto client = Client();
    ASSERT_TRUE(client.Delete("/admin/requests"));
    EXPECT_TRUE(GetJson("/admin/requests")["requests"].empty());
}

TEST(DemoLoopbackAddressTest, OnlyLoopbackPeersCount) {
    const std::pair<const char*, bool> cases[] = {
        {"127.0.0.1", true},        {"127.8.9.10", true}, {"::1", true},
        {"::ffff:127.0.0.1", true}, {"10.0.0.1", false},  {"192.168.1.20", false},
        {"::ffff:10.0.0.1", false}, {"fe80::1", false},   {"", false},
        {"localhost", false},
    };
    for (const auto& [address, loopback] : cases)
        EXPECT_EQ(IsLoopbackAddress(address), loopback) << address;
}

}  // namespace
}  // namespace demo::testing
