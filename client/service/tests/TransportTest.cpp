// HttpRequest against a real loopback server, GetJsonField, Md5Hex and the
// request addresses.
#include <gtest/gtest.h>

#include <chrono>

#include "client/service/ApiQuery.h"
#include "client/service/ApiSignature.h"
#include "client/service/HttpRequest.h"
#include "client/service/JsonField.h"
#include "client/service/tests/LoopbackHttpServer.h"

using servicetest::ClosedPort;
using servicetest::TLoopbackHttpServer;
using servicetest::TReply;

namespace {

std::string UrlOn(const TLoopbackHttpServer& server, const std::string& path = "/api.aspx?M=1") {
    return "http://127.0.0.1:" + std::to_string(server.port()) + path;
}

}  // namespace

TEST(HttpRequestTest, PostsAnEmptyBodyAndReturnsTheAnswerOf200) {
    TLoopbackHttpServer server;
    server.setReply({200, "{\"State\":1000}"});
    const THttpResult r = HttpRequest(UrlOn(server, "/api.aspx?KEY=AB&M=1001&AgentID=7"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.text, "{\"State\":1000}");
    ASSERT_EQ(server.requestCount(), 1u);
    const auto request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/api.aspx?KEY=AB&M=1001&AgentID=7");
    EXPECT_EQ(request.bodySize, 0u);
    EXPECT_EQ(request.headers.count("content-type"), 0u);
}

TEST(HttpRequestTest, AnswersThatAreNotTransportFailures) {
    struct Case {
        const char* name;
        TReply reply;
        long status;
        std::string text;
    };
    const std::string binary("\x00\xff\x01{\"State\"\x00:1000}", 17);
    const std::string big(3 * 1024 * 1024, 'x');
    const Case cases[] = {
        {"404 gives no text", {404, "not here"}, 404, ""},
        {"500 gives no text", {500, "{\"State\":1000}"}, 500, ""},
        {"empty 200", {200, ""}, 200, ""},
        {"binary 200 comes back byte for byte", {200, binary}, 200, binary},
        {"several megabytes", {200, big}, 200, big},
    };
    TLoopbackHttpServer server;
    for (const auto& c : cases) {
        server.setReply(c.reply);
        const THttpResult r = HttpRequest(UrlOn(server));
        EXPECT_EQ(r.code, 1) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.text, c.text) << c.name;
    }
}

TEST(HttpRequestTest, TransportFailuresCarryTheSendPrefixAndLibcurlsMessage) {
    struct Case {
        const char* name;
        TReply reply;
    };
    TReply truncated;
    truncated.raw = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"State\":10";
    TReply garbage;
    garbage.raw = std::string("\x16\x03\x01 not http at all\r\n\r\n", 24);
    TReply dropped;
    dropped.drop = true;
    TReply huge;
    huge.body = std::string(kMaxAnswerBytes + 1, 'y');
    const Case cases[] = {
        {"dropped connection", dropped},
        {"truncated answer", truncated},
        {"not HTTP", garbage},
        {"answer over the limit", huge},
    };
    TLoopbackHttpServer server;
    for (const auto& c : cases) {
        server.setReply(c.reply);
        const THttpResult r = HttpRequest(UrlOn(server));
        EXPECT_EQ(r.code, -1) << c.name;
        EXPECT_EQ(r.text.rfind("xmlHttp-Send异常:", 0), 0u) << c.name << ": " << r.text;
        EXPECT_GT(r.text.size(), std::string("xmlHttp-Send异常:").size()) << c.name;
    }
}

TEST(HttpRequestTest, UnreachablePortFailsWithTheConnectionMessage) {
    const THttpResult r = HttpRequest("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.text.rfind("xmlHttp-Send异常:", 0), 0u) << r.text;
    EXPECT_NE(r.text.find("onnect"), std::string::npos) << r.text;
}

TEST(HttpRequestTest, AHangingServerIsGivenUpAfterTheTotalTimeout) {
    TLoopbackHttpServer server;
    TReply hang;
    hang.hang = true;
    server.setReply(hang);
    const auto start = std::chrono::steady_clock::now();
    const THttpResult r = HttpRequest(UrlOn(server), THttpTimeouts{1000, 800});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.text.rfind("xmlHttp-Send异常:", 0), 0u) << r.text;
    EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(HttpRequestTest, AUrlThatCannotBeSentFailsWithoutTheSendPrefix) {
    const THttpResult r = HttpRequest("ftp2://127.0.0.1/");
    EXPECT_EQ(r.code, -1);
    EXPECT_FALSE(r.text.empty());
    EXPECT_NE(r.text.rfind("xmlHttp-Send异常:", 0), 0u) << r.text;
}

TEST(GetJsonFieldTest, TakesTheRawTextOfOneKey) {
    struct Case {
        std::string answer, key, expected;
    };
    const Case cases[] = {
        {R"({"State":1000,"GUID":"ab12"})", "State", "1000"},
        {R"({"State":1000,"GUID":"ab12"})", "GUID", "\"ab12\""},
        {R"({"a":1,"b":22})", "b", "22"},
        {"{\"a\":1,\"b\":22}\r\n", "b", "22}\r"},
        {R"({"name":"Lee, Ann","x":1})", "name", "\"Lee"},
        {R"({"o":{"p":1,"q":2}})", "o", "{\"p\":1"},
        {R"({"sNote":"see "State":5","State":1000})", "State", "5\""},
        {R"({"State": 1000})", "State", " 1000"},
        {R"({"GUID":"x"})", "Guid", ""},
        {"", "State", ""},
        {"ab", "State", ""},
        {R"("State":7)", "State", ""},
        {std::string("\x01\"State\":1\xff", 11), "State", "1"},
        {R"({"State":)", "State", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetJsonField(c.answer, c.key), c.expected) << c.answer << " / " << c.key;
    }
}

TEST(Md5HexTest, UpperCaseDigestOfTheBytes) {
    EXPECT_EQ(Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Md5Hex("M=1001&AgentID=8001"), Md5Hex("M=1001&AgentID=8001"));
    EXPECT_EQ(Md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(ApiQueryTest, KeysOrderSignatureAndEncoding) {
    TApiQuery q(1001, "AgentID", "8001");
    q.add("TeleNumber", "13800138000").add("Guid", "\"g-1\"");
    EXPECT_EQ(q.signedText(), "M=1001&AgentID=8001");
    EXPECT_EQ(q.url("127.0.0.1", 8081),
              "http://127.0.0.1:8081/api.aspx?KEY=" + Md5Hex("M=1001&AgentID=8001") +
                  "&M=1001&AgentID=8001&TeleNumber=13800138000&Guid=%22g-1%22");

    // Unreserved characters go unchanged: the URL is then the plain one.
    EXPECT_EQ(TApiQuery(1002, "AgentID", "5").add("A", "aZ09-._~").query(),
              "KEY=" + Md5Hex("M=1002&AgentID=5") + "&M=1002&AgentID=5&A=aZ09-._~");

    struct Case {
        std::string value, encoded;
    };
    const Case cases[] = {
        {"a b", "a%20b"}, {"x&y=z", "x%26y%3Dz"},         {"#1", "%231"}, {"50%", "50%25"},
        {"1+1", "1%2B1"}, {"张三", "%E5%BC%A0%E4%B8%89"}, {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TApiQuery(1, "K", "v").add("X", c.value).query(),
                  "KEY=" + Md5Hex("M=1&K=v") + "&M=1&K=v&X=" + c.encoded)
            << c.value;
    }
    // The signature covers the unencoded text.
    EXPECT_EQ(TApiQuery(1021, "EnterpriseID", "a b").signature(),
              Md5Hex("M=1021&EnterpriseID=a b"));
}

TEST(ApiQueryTest, BusIdAndFileNamePart) {
    EXPECT_EQ(BusId(1234), "1234");
    EXPECT_EQ(BusId(12345), "12345");
    EXPECT_EQ(BusId(123456789), "12345");
    EXPECT_EQ(FileNamePart("/home/a/VocFile/20240315/x.mp3"), "x.mp3");
    EXPECT_EQ(FileNamePart("x.mp3"), "x.mp3");
    EXPECT_EQ(FileNamePart(""), "");
}
