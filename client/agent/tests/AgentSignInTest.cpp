// The agent's sign-in: the request as a real HTTP server receives it, the
// answers, and the messages of the notification window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "AgentHarness.h"
#include "client/agent/OrgCodes.h"
#include "client/service/WindowMessages.h"
#include "client/service/WorkerShared.h"
#include "tools/demo-service/src/DemoService.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kOrg = "演示中心_01|客服部_0105|一组_010502";

demo::DemoServiceOptions ServiceOnAnyPort() {
    demo::DemoServiceOptions o;
    o.port = 0;
    o.dbPath = ":memory:";
    return o;
}

// Requests to the path are dropped without an answer (count 0: until cleared).
demo::FaultRule DropRequests(const std::string& path, int count) {
    demo::FaultRule rule;
    rule.path = path;
    rule.mode = demo::FaultMode::kDrop;
    rule.count = count;
    return rule;
}

TEST(ParseOrgCodes, JoinsTheCodeOfEverySegment) {
    const struct {
        const char* path;
        const char* codes;
    } cases[] = {
        {"总部_01|销售部_0105|一组_010502", "01_0105_010502"},
        {"a|b_2", "2"},  // a segment without "_" takes the next underscore's code
        {"公司_1", "1"},
        {"", ""},
        {"no-code", ""},
        {"a_1|", "1"},
        {"a_x_y|b_2", "x_y_2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseOrgCodes(c.path), c.codes) << c.path;
}

// An agent with a test device library, signing in against the demo service.
class SignIn : public ::testing::Test {
  protected:
    explicit SignIn(const std::string& devlib = "working") : h(devlib) {}

    void SetUp() override {
        ResetClosingForTests();
        SetSignInGuid(std::string());
        std::string error;
        ASSERT_TRUE(service.start(error)) << error;
        h.Setting("Host", "127.0.0.1");
        h.Setting("Port", std::to_string(service.port()));
        h.Init();
    }
    void TearDown() override {
        // The workers post to the agent's window and log; let them end first.
        EXPECT_TRUE(WaitForOneShotWorkers(20000));
        h.RunMessages();
    }

    int Login(const std::string& password = "1234", int agentId = 8001) {
        return h.agent->SetLoginEx(1, agentId, "agent1", kOrg, "张三", password);
    }
    // Runs the agent's messages until an event arrives; all events so far.
    std::vector<std::string> AwaitEvents() {
        std::vector<std::string> got;
        h.loop.runUntil(
            [&] {
                for (auto& e : h.TakeEvents())
                    got.push_back(std::move(e));
                return !got.empty();
            },
            10s);
        return got;
    }
    // Runs the agent's messages until the log holds the text.
    bool AwaitLog(const std::string& text) {
        return h.loop.runUntil([&] { return h.LogText().find(text) != std::string::npos; }, 10s);
    }
    std::vector<std::string> ApiTargets() {
        std::vector<std::string> targets;
        for (const auto& e : service.journal().since(0))
            if (e.path == "/api.aspx")
                targets.push_back(e.target);
        return targets;
    }
    void Post(unsigned number, int wParam, const std::string& text) {
        platform::PostTextMessage(h.agent->Notifier()->MessageHandle(), number, wParam, text);
        h.RunMessages();
    }

    AgentHarness h;
    demo::DemoService service{ServiceOnAnyPort()};
};

TEST_F(SignIn, SeededAgentSignsInOnceAndTheServerGetsTheExactRequest) {
    ASSERT_EQ(Login(), 1);
    EXPECT_EQ(h.agent->LoginSeq, 1);
    EXPECT_EQ(h.agent->UserFullCode, "01_0105_010502");
    const auto events = AwaitEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].rfind("11,1000,{\"State\":1000,\"GUID\":\"", 0), 0u) << events[0];
    // The device steps followed: the test library's status events.
    EXPECT_TRUE(h.agent->IsSignedIn());
    EXPECT_TRUE(h.agent->DeviceOpened);
    EXPECT_EQ(h.agent->Channel, 1);
    EXPECT_EQ(h.uploads->callLogWorkersCreated, 1);
    EXPECT_EQ(h.uploads->vocFileWorkersCreated, 1);

    // FakeClock starts at 09:30:12.047: r is 47. Values are percent-encoded,
    // the signature covers the plain signed text.
    const std::string expected =
        "/api.aspx?KEY=C24EF22EA2C897513EACE0E698134C1F&M=1000&AgentID=8001"
        "&PWD=81DC9BDB52D04DC20036DBD8313ED055&AppId=1&UserName=%E5%BC%A0%E4%B8%89"
        "&UserAccount=agent1&Organization=%E6%BC%94%E7%A4%BA%E4%B8%AD%E5%BF%83_01%7C"
        "%E5%AE%A2%E6%9C%8D%E9%83%A8_0105%7C%E4%B8%80%E7%BB%84_010502&r=47";
    EXPECT_EQ(ApiTargets(), std::vector<std::string>{expected});

    // The GUID is kept as extracted, quotes included, for the workers to send.
    const std::string answer = events[0].substr(std::string("11,1000,").size());
    const std::string guid = SignInGuid();
    ASSERT_GT(guid.size(), 2u);
    EXPECT_EQ(guid.front(), '"');
    EXPECT_NE(answer.find("\"GUID\":" + guid), std::string::npos);

    // Signed in for the rest of the process: a second try is refused, no request.
    EXPECT_EQ(Login(), 0);
    EXPECT_EQ(h.agent->LoginSeq, 1);
    EXPECT_NE(h.LogText().find("<ERROR> SetLoginEx 工号:8001 已经登录，状态：1000, 不要重复登录"),
              std::string::npos);
    EXPECT_EQ(ApiTargets().size(), 1u);
}

TEST_F(SignIn, PasswordNeverReachesTheLog) {
    ASSERT_EQ(Login("pw-Geheim-77"), 1);
    ASSERT_TRUE(AwaitLog("登录验证结果解析:"));
    const std::string log = h.LogText();
    EXPECT_NE(log.find("<MSG> SetLoginEx 8001 ****** 张三 agent1 " + std::string(kOrg) + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("&PWD=******&AppId=1&"), std::string::npos) << log;
    EXPECT_EQ(log.find("pw-Geheim-77"), std::string::npos);
    EXPECT_EQ(log.find("61BCEF14FBB474D7DC6EE3646C2C7218"),
              std::string::npos);  // no digest of it either
}

TEST_F(SignIn, RefusedOrUnansweredSignInDoesNotBlockTheNextTry) {
    // Refused: wrong password.
    ASSERT_EQ(Login("wrong"), 1);
    auto events = AwaitEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("11,1004,", 0), 0u) << events[0];
    EXPECT_EQ(h.agent->LoginState, -1);
    EXPECT_FALSE(h.agent->DeviceOpened);

    // Unanswered: the connection is dropped; the worker only logs.
    service.faults().add(DropRequests("/api.aspx", 1));
    ASSERT_EQ(Login(), 1);
    ASSERT_TRUE(AwaitLog("<ERROR> 登录操作异常<-1>:"));
    h.Advance(181000);  // well past any sign-in time-out
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
    EXPECT_EQ(h.agent->LoginState, -1);

    // The next try goes out at once and succeeds.
    ASSERT_EQ(Login(), 1);
    EXPECT_EQ(h.agent->LoginSeq, 3);
    events = AwaitEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].rfind("11,1000,", 0), 0u) << events[0];
    EXPECT_TRUE(h.agent->IsSignedIn());
    EXPECT_EQ(ApiTargets().size(), 3u);
}

TEST_F(SignIn, BadArgumentsAreRefusedAndTheFieldsStay) {
    EXPECT_EQ(Login("1234", 0), 0);
    EXPECT_EQ(Login("", 8001), 0);
    EXPECT_EQ(h.agent->LoginSeq, 0);
    EXPECT_EQ(h.agent->AgentID, 8001);
    EXPECT_EQ(h.agent->UserName, "张三");
    EXPECT_EQ(h.agent->UserFullCode, "01_0105_010502");
    const std::string log = h.LogText();
    const std::string line = "<ERROR> SetLogin 错误：工号或密码格式不对";
    const auto first = log.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.find(line, first + 1), std::string::npos);
    EXPECT_TRUE(ApiTargets().empty());
}

// Answers posted by hand; the server drops every request meanwhile.
class SignInAnswers : public SignIn {
  protected:
    void SetUp() override {
        SignIn::SetUp();
        service.faults().add(DropRequests("*", 0));
    }
};

TEST_F(SignInAnswers, OnlyTheAnswerToTheLatestRequestCounts) {
    ASSERT_EQ(Login(), 1);
    ASSERT_EQ(Login(), 1);
    EXPECT_EQ(h.agent->LoginSeq, 2);
    Post(WM_TRD_LOGIN, 1, R"({"State":1000,"GUID":"g-one"})");
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
    EXPECT_EQ(SignInGuid(), "\"g-one\"");
    EXPECT_NE(h.LogText().find("<WARN> hLogin过期。这个 LOGIN 的返回是上次登录的结果"),
              std::string::npos);
    EXPECT_FALSE(h.agent->IsSignedIn());

    Post(WM_TRD_LOGIN, 2, R"({"State":1000,"GUID":"g-two"})");
    auto events = h.TakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], R"(11,1000,{"State":1000,"GUID":"g-two"})");
    EXPECT_TRUE(h.agent->IsSignedIn());
    EXPECT_EQ(SignInGuid(), "\"g-two\"");
    EXPECT_NE(h.LogText().find("<MSG> 登录验证结果解析:{\"State\":1000,\"GUID\":\"g-two\"} "
                               "UserID:8001 GUID:\"g-two\" State:1000"),
              std::string::npos);

    // A late answer no longer replaces the GUID the workers send.
    Post(WM_TRD_LOGIN, 1, R"({"State":1004,"GUID":"g-late"})");
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
    EXPECT_EQ(SignInGuid(), "\"g-two\"");
}

TEST_F(SignInAnswers, AnswersWithoutStateOrWithoutBlock) {
    ASSERT_EQ(Login(), 1);
    Post(WM_TRD_LOGIN, 1, R"({"GUID":"x"})");
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{R"(11,-1,{"GUID":"x"})"});
    Post(WM_TRD_LOGIN, 1, "");  // the answer to an HTTP 500
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{"11,-1,"});
    Post(WM_TRD_LOGIN, 1, R"({"State":"1000"})");  // not a number
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{R"(11,-1,{"State":"1000"})"});
    platform::PostMessageTo(h.agent->Notifier()->MessageHandle(), WM_TRD_LOGIN, 1);
    h.RunMessages();
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
    EXPECT_EQ(h.agent->LoginState, -1);
    ASSERT_EQ(Login(), 1);  // still free to try again
}

TEST_F(SignInAnswers, SignOutAnswerEndsTheSignIn) {
    ASSERT_EQ(Login(), 1);
    Post(WM_TRD_LOGIN, 1, R"({"State":1000,"GUID":"g"})");
    h.TakeEvents();
    Post(WM_TRD_LOGOUT, 1, R"({"State":1000})");  // not the sign-out's sequence
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
    EXPECT_NE(h.LogText().find("<WARN> hLogin过期。这个 LOGOUT 的返回是上次登出的结果"),
              std::string::npos);
    Post(WM_TRD_LOGOUT, 0, R"({"State":1000})");
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{"12,8001,1000"});
    EXPECT_EQ(h.agent->LoginState, 0);
    EXPECT_EQ(h.agent->AgentID, -1);
    EXPECT_EQ(SignInGuid(), "");
    EXPECT_EQ(Login(), 1);
}

class SignInWithoutDevice : public SignIn {
  protected:
    SignInWithoutDevice() : SignIn("") {}
};

TEST_F(SignInWithoutDevice, SignedInWithoutDeviceAndNotTriedAgain) {
    ASSERT_EQ(Login(), 1);
    h.loop.runUntil([&] { return h.agent->IsSignedIn(); }, 10s);
    h.RunMessages();
    const auto events = h.TakeEvents();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].rfind("11,1000,", 0), 0u);
    EXPECT_EQ(events[1], "1,10,准备初始化设备");
    EXPECT_EQ(events[2], "1,15,装载虚设备Dll失败");
    EXPECT_TRUE(h.agent->IsSignedIn());
    EXPECT_FALSE(h.agent->DeviceOpened);
    EXPECT_EQ(h.uploads->callLogWorkersCreated, 0);
    EXPECT_EQ(Login(), 0);
    EXPECT_EQ(h.TakeEvents(), std::vector<std::string>{});
}

}  // namespace
