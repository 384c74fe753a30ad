// The one-shot workers, the log hand-over and the connectivity monitor, with
// the manual loop as the user-interface thread and a real loopback server.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "client/service/ApiSignature.h"
#include "client/service/ConnectionProbe.h"
#include "client/service/TTrdGetAppURL.h"
#include "client/service/TTrdGetCallerInfo.h"
#include "client/service/TTrdInternetCheckConnection.h"
#include "client/service/TTrdLogin.h"
#include "client/service/WorkerLog.h"
#include "client/service/tests/ServiceFixture.h"
#include "client/shell/TxtLog.h"
#include "tests/support/TempDir.h"

using namespace servicetest;

namespace {

class WorkersTest : public ServiceFixture {
  protected:
    void TearDown() override {
        EXPECT_TRUE(WaitForOneShotWorkers(10000));
        ServiceFixture::TearDown();
    }
    std::string url(const std::string& path = "/api.aspx?M=1000") const {
        return "http://127.0.0.1:" + std::to_string(server.port()) + path;
    }
    TLoopbackHttpServer server;
};

}  // namespace

TEST_F(WorkersTest, LoginPostsTheAnswerWithItsSequenceNumber) {
    server.setResponder([](const TReceivedRequest& r) {
        return r.target.find("seq=2") != std::string::npos ? TReply{200, "{\"State\":1000}"}
                                                           : TReply{500, "oops"};
    });
    TTrdLogin(1, url("/api.aspx?seq=1"), window->handle());
    TTrdLogin(2, url("/api.aspx?seq=2"), window->handle());
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_LOGIN).size() == 2; }));
    std::map<std::intptr_t, std::string> bySeq;
    for (const auto& m : messages(WM_TRD_LOGIN)) {
        EXPECT_TRUE(m.hadPayload);
        bySeq[m.wParam] = m.text;
    }
    EXPECT_EQ(bySeq[1], "");  // status 500: a block of one zero byte
    EXPECT_EQ(bySeq[2], "{\"State\":1000}");
}

TEST_F(WorkersTest, LoginToAnUnreachableHostPostsNothingAndLogsOneError) {
    TTrdLogin(1, "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api.aspx",
              window->handle());
    ASSERT_TRUE(WaitForOneShotWorkers(10000));
    loop.processPending();
    EXPECT_TRUE(messages(WM_TRD_LOGIN).empty());
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_EQ(logLines()[0].rfind("<ERROR> 登录操作异常<-1>:xmlHttp-Send异常:", 0), 0u)
        << logLines()[0];
}

TEST_F(WorkersTest, GetAppUrlAlwaysAnswersWithTheMessageOfItsKind) {
    server.setReply({200, "{\"State\":1000,\"k\":1}"});
    TTrdGetAppURL(TAppUrlRequest::Enterprise, url(), window->handle());
    TTrdGetAppURL(TAppUrlRequest::AppLogin, url(), window->handle());
    TTrdGetAppURL(TAppUrlRequest::VerInfo, url("/ver.json"), window->handle());
    const std::string dead =
        "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api.aspx?M=1021";
    TTrdGetAppURL(TAppUrlRequest::Enterprise, dead, window->handle());
    ASSERT_TRUE(runUntil([&] { return posted.size() == 4; }));
    EXPECT_EQ(messages(WM_TRD_APPLOGIN).size(), 1u);
    EXPECT_EQ(messages(WM_TRD_VERINFO).size(), 1u);
    ASSERT_EQ(messages(WM_TRD_ENTERPRISE).size(), 2u);
    for (const auto& m : messages(WM_TRD_ENTERPRISE)) {
        if (m.wParam == 1) {
            EXPECT_EQ(m.text, "{\"State\":1000,\"k\":1}");
        } else {
            EXPECT_EQ(m.wParam, -1);
            const std::string prefix = "网络操作异常<-1>:[url] " + dead + " [xmlHttp-Send异常:";
            EXPECT_EQ(m.text.rfind(prefix, 0), 0u) << m.text;
            EXPECT_EQ(m.text.back(), ']');
        }
    }
}

TEST_F(WorkersTest, CallerInfoSendsTheExactRequestAndPostsTheAnswer) {
    SetSignInGuid("\"ab12\"");
    server.setReply({200, "{\"State\":1000,\"City\":\"x\"}"});
    TTrdGetCallerInfo("127.0.0.1", server.port(), 8001, "13800138000", 7, window->handle());
    SetSignInGuid("changed later");  // the worker took its copy at construction
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_CALLERINFO).size() == 1; }));
    const auto m = messages(WM_TRD_CALLERINFO)[0];
    EXPECT_EQ(m.wParam, 7);
    EXPECT_EQ(m.text, "{\"State\":1000,\"City\":\"x\"}");
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/api.aspx?KEY=" + Md5Hex("M=1001&AgentID=8001") +
                                               "&M=1001&AgentID=8001&TeleNumber=13800138000"
                                               "&Guid=%22ab12%22");
    SetSignInGuid("");
}

TEST_F(WorkersTest, CallerInfoFailuresPostAnEmptyAnswer) {
    server.setReply({404, "gone"});
    TTrdGetCallerInfo("127.0.0.1", server.port(), 1, "010", 1, window->handle());
    TTrdGetCallerInfo("127.0.0.1", ClosedPort(), 1, "010", 2, window->handle());
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_CALLERINFO).size() == 2; }));
    for (const auto& m : messages(WM_TRD_CALLERINFO))
        EXPECT_EQ(m.text, "");
    ASSERT_TRUE(runUntil([&] { return logLines().size() == 1; }));
    EXPECT_EQ(logLines()[0].rfind("<ERROR> 取云电话本操作异常<-1>:xmlHttp-Send异常:", 0), 0u);
}

TEST_F(WorkersTest, WorkersThatOutliveTheirWindowTouchNothingFreed) {
    TReply slow{200, "late"};
    slow.delayMs = 300;
    server.setReply(slow);
    {
        platform::MessageTarget shortLived(loop, [](platform::Message&) { ADD_FAILURE(); });
        for (int i = 0; i < 5; ++i) {
            TTrdLogin(i, url(), shortLived.handle());
            TTrdGetCallerInfo("127.0.0.1", server.port(), 1, "1", i, shortLived.handle());
            TTrdGetAppURL(TAppUrlRequest::VerInfo, url(), shortLived.handle());
        }
    }
    // The blocks posted to the vanished window are freed undelivered (the
    // address-sanitizer build checks for leaks).
    ASSERT_TRUE(WaitForOneShotWorkers(10000));
    loop.processPending();
    EXPECT_EQ(server.requestCount(), 15u);
}

TEST_F(WorkersTest, LogHandOverHonoursEnableLogAndSkipsEmptyLines) {
    IniWriteInteger(kSectionBizAgent, "EnableLog", 0);
    LogWorkerMsg("dropped");
    LogWorkerError("kept");
    LogWorkerWarn("warned");
    PostLogLine("");
    IniWriteInteger(kSectionBizAgent, "EnableLog", 1);
    LogWorkerMsg("shown");
    loop.processPending();
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"<ERROR> kept", "<WARN> warned", "<MSG> shown"}));
}

TEST_F(WorkersTest, WhileClosingLinesGoStraightToTheLogFile) {
    TTxtLog log;
    log.LogDir = "Log";
    log.LogName = "RodiZerad";
    SetProcessLog(&log);
    SetClosing();
    std::thread([] { LogWorkerError("直接写入"); }).join();
    DetachWorkerLog();
    LogWorkerError("after the log is gone");
    AttachWorkerLogForTests();
    SetProcessLog(nullptr);
    ResetClosingForTests();
    loop.processPending();
    EXPECT_TRUE(logLines().empty());
    const std::string file = testsupport::ReadFile(log.currentFileName());
    EXPECT_NE(file.find("] <ERROR> 直接写入\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("after the log is gone"), std::string::npos);
}

TEST(ConnectionProbeTest, SplitsProbeAddresses) {
    struct Case {
        std::string address;
        bool ok;
        std::string host;
        int port;
    };
    const Case cases[] = {
        {"http://www.example.com/", true, "www.example.com", 80},
        {"https://example.com", true, "example.com", 443},
        {"http://127.0.0.1:8081/x?y", true, "127.0.0.1", 8081},
        {"http://[::1]:81/", true, "::1", 81},
        {"127.0.0.1:99", true, "127.0.0.1", 99},
        {"http://h:0/", false, "", 0},
        {"http://h:99999/", false, "", 0},
        {"http:///", false, "", 0},
        {"", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string host;
        int port = 0;
        EXPECT_EQ(SplitProbeAddress(c.address, host, port), c.ok) << c.address;
        if (c.ok) {
            EXPECT_EQ(host, c.host) << c.address;
            EXPECT_EQ(port, c.port) << c.address;
        }
    }
}

TEST_F(WorkersTest, MonitorReportsOnlyChangesAndStopsPromptly) {
    auto probe = std::make_unique<TLoopbackHttpServer>();
    const int port = probe->port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    TConnectivityOptions fast;
    fast.checkTimeoutMs = 500;
    fast.waitSlices = 2;
    fast.sliceMs = 50;
    TTrdInternetCheckConnection monitor(window->handle(), address, fast);
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_NETSTATE).size() == 1; }));
    EXPECT_EQ(messages(WM_TRD_NETSTATE)[0].wParam, 1);
    EXPECT_FALSE(messages(WM_TRD_NETSTATE)[0].hadPayload);
    // Several more checks, no change: nothing more arrives.
    loop.waitAndProcess(std::chrono::milliseconds(400));
    EXPECT_EQ(messages(WM_TRD_NETSTATE).size(), 1u);

    probe.reset();  // the "cable" is pulled
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_NETSTATE).size() == 2; }));
    EXPECT_EQ(messages(WM_TRD_NETSTATE)[1].wParam, 0);

    TLoopbackHttpServer back(port);
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_NETSTATE).size() == 3; }));
    EXPECT_EQ(messages(WM_TRD_NETSTATE)[2].wParam, 1);

    const auto start = std::chrono::steady_clock::now();
    monitor.Stop();
    EXPECT_TRUE(monitor.WaitUntilEnded(3000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(WorkersTest, MonitorObjectMayGoWhileItsThreadStillChecks) {
    TConnectivityOptions options;
    options.checkTimeoutMs = 300;
    // A closed loopback port answers at once with a refusal.
    auto monitor = std::make_unique<TTrdInternetCheckConnection>(
        window->handle(), "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", options);
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_NETSTATE).size() == 1; }));
    EXPECT_EQ(messages(WM_TRD_NETSTATE)[0].wParam, 0);
    monitor.reset();  // stops without waiting; the thread ends on its own
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
}

TEST_F(WorkersTest, ProbeAddressIsASettingWithADefault) {
    EXPECT_EQ(ConnectivityProbeAddress(), kDefaultProbeAddress);
    IniWriteString(kSectionBizAgent, "NetProbeUrl", "http://127.0.0.1:9/");
    EXPECT_EQ(ConnectivityProbeAddress(), "http://127.0.0.1:9/");
}
