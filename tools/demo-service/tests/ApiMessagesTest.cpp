// The API messages over HTTP: the sign-in sequence with the seeded accounts, the answers to
// bad input, the signature check, raw and encoded queries, and the rows M=1002 stores.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "client/service/ApiSignature.h"
#include "tools/demo-service/src/ApiMessages.h"
#include "tools/demo-service/src/DemoSeed.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

std::string Lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class DemoApiMessagesTest : public DemoServiceTest {
  protected:
    std::string self() const { return "127.0.0.1:" + std::to_string(service_->port()); }

    std::string CallLogQuery(const std::string& vocId, int talkType = 1,
                             const std::string& start = "2024-03-15%2009:30:12") {
        return "/api.aspx?" + SignedQuery(1002, "AgentID", "8001") +
               "&Guid=abc&UserAccount=agent1&UserName=%E5%BC%A0%E4%B8%89&UserFullCode=01_0105"
               "&TeleNumber=13800138000&TalkType=" +
               std::to_string(talkType) + "&StartTime=" + start +
               "&StopTime=2024-03-15%2009:31:40&BusId=8001&EnterpriseName=demo"
               "&VoiceUri=" +
               vocId + "_8001_13800138000_20240315_093012_1.mp3&VocID=" + vocId +
               "&CompanyName=C&ClientName=N&Corp=Mobile&Province=P&City=Q";
    }
};

TEST_F(DemoApiMessagesTest, SignInSequenceWithSeededAccountGivesWhatTheClientReads) {
    const Json lookup = PostJson("/api.aspx?" + SignedQuery(1021, "EnterpriseID", "demo"));
    ASSERT_EQ(lookup["State"], 1000);
    EXPECT_EQ(lookup["EnterpriseID"], kSeedEnterpriseId);
    EXPECT_EQ(lookup["EnterpriseNickName"], kSeedNickName);
    ASSERT_TRUE(lookup["AppInfo"].is_array());
    ASSERT_FALSE(lookup["AppInfo"].empty());
    const Json app = lookup["AppInfo"][0];
    EXPECT_EQ(app["AppId"], kSeedAppId);
    const std::string urlLogin = app["urlLogin"];
    const std::string prefix = "http://" + self();
    ASSERT_EQ(urlLogin.rfind(prefix, 0), 0u) << urlLogin;

    // The application sign-in goes to the address the look-up handed out.
    const std::string appLogin = urlLogin.substr(prefix.size()) + "?" +
                                 SignedQuery(2001, "EnterpriseID", lookup["EnterpriseID"]) +
                                 "&R=417&UserAccount=agent1&PWD=" + Md5Hex("1234");
    const Json user = PostJson(appLogin);
    ASSERT_EQ(user["State"], 1000) << user.dump();
    EXPECT_EQ(user["AgentID"], "8001");
    EXPECT_EQ(user["UserName"], "张三");
    EXPECT_EQ(user["VerificationMode"], 1);
    const std::string org = user["Organization"];
    // The client matches the enterprise nickname against the names of the organisation items.
    EXPECT_EQ(org.rfind(std::string(kSeedNickName) + "_", 0), 0u) << org;

    auto client = Client();
    const std::string signIn = "/api.aspx?" + SignedQuery(1000, "AgentID", "8001") +
                               "&PWD=" + Md5Hex("1234") + "&AppId=1&UserName=%E5%BC%A0%E4%B8%89" +
                               "&UserAccount=agent1&Organization=x_01&r=12";
    auto res = client.Post(signIn.c_str());
    ASSERT_TRUE(res);
    // The client reads State and GUID by text search: State comes first, as a bare number.
    EXPECT_EQ(res->body.rfind("{\"State\":1000,\"GUID\":\"", 0), 0u) << res->body;
    const Json answer = Json::parse(res->body);
    EXPECT_FALSE(answer["GUID"].get<std::string>().empty());
    EXPECT_EQ(answer["RingUrl"], "http://" + self() + kRingPagePath);
    EXPECT_EQ(answer["RingUrl"].get<std::string>().find('?'), std::string::npos)
        << "the client appends its own query to RingUrl";
    EXPECT_EQ(answer["LoginUrl"].get<std::string>().rfind("http://" + self() + kHomePagePath, 0),
              0u);
    ASSERT_TRUE(answer["UserMenu"].is_array());
    ASSERT_FALSE(answer["UserMenu"].empty());
    for (const auto& menu : answer["UserMenu"]) {
        EXPECT_TRUE(menu["MenuName"].is_string());
        ASSERT_TRUE(menu["Menus"].is_array());
        for (const auto& sub : menu["Menus"]) {
            EXPECT_TRUE(sub["SubMenuName"].is_string());
            const std::string url = sub["SubMenuUrl"];
            EXPECT_EQ(url.rfind("http://" + self() + "/", 0), 0u) << url;
            EXPECT_EQ(url.find('{'), std::string::npos) << "placeholder left in " << url;
            // Every menu page exists on this service.
            auto page = client.Get(url.substr(("http://" + self()).size()).c_str());
            ASSERT_TRUE(page);
            EXPECT_EQ(page->status, 200) << url;
        }
    }
}

TEST_F(DemoApiMessagesTest, BadInputGetsAStateThatSaysSo) {
    const std::string pwd = Md5Hex("1234");
    struct Case {
        const char* what;
        std::string target;
        int state;
    };
    const Case cases[] = {
        {"unknown enterprise account", "/api.aspx?" + SignedQuery(1021, "EnterpriseID", "nobody"),
         kStateNoSuchEnterprise},
        {"KEY of another text",
         "/api.aspx?KEY=" + Md5Hex("M=1021&EnterpriseID=other") + "&M=1021&EnterpriseID=demo",
         kStateBadSignature},
        {"KEY in lower case",
         "/api.aspx?KEY=" + Lower(Md5Hex("M=1021&EnterpriseID=demo")) + "&M=1021&EnterpriseID=demo",
         kStateBadSignature},
        {"no KEY", "/api.aspx?M=1021&EnterpriseID=demo", kStateBadSignature},
        {"no M", "/api.aspx?KEY=x&EnterpriseID=demo", kStateBadRequest},
        {"no first key", "/api.aspx?KEY=x&M=1001&TeleNumber=1", kStateBadRequest},
        {"unknown M", "/api.aspx?" + SignedQuery(1234, "AgentID", "1"), kStateUnknownMessage},
        {"M=2001 at the API path", "/api.aspx?" + SignedQuery(2001, "EnterpriseID", "10001"),
         kStateUnknownMessage},
        {"M=1021 at the sign-in path",
         "/AppLogin.aspx?" + SignedQuery(1021, "EnterpriseID", "demo"), kStateUnknownMessage},
        {"bad percent escape", "/api.aspx?" + SignedQuery(1021, "EnterpriseID", "demo") + "&x=%G1",
         kStateBadRequest},
        {"cut percent escape", "/api.aspx?" + SignedQuery(1021, "EnterpriseID", "demo") + "&x=%4",
         kStateBadRequest},
        {"wrong agent password",
         "/api.aspx?" + SignedQuery(1000, "AgentID", "8001") + "&PWD=" + Md5Hex("12345") +
             "&AppId=1",
         kStateWrongPassword},
        {"unknown agent",
         "/api.aspx?" + SignedQuery(1000, "AgentID", "999") + "&PWD=" + pwd + "&AppId=1",
         kStateWrongPassword},
        {"AppId of no application",
         "/api.aspx?" + SignedQuery(1000, "AgentID", "8001") + "&PWD=" + pwd + "&AppId=77",
         kStateUnknownApplication},
        {"AgentID not a number",
         "/api.aspx?" + SignedQuery(1000, "AgentID", "abc") + "&PWD=" + pwd + "&AppId=1",
         kStateBadRequest},
        {"sign-in without PWD", "/api.aspx?" + SignedQuery(1000, "AgentID", "8001") + "&AppId=1",
         kStateBadRequest},
        {"caller info without number",
         "/api.aspx?" + SignedQuery(1001, "AgentID", "8001") + "&Guid=g", kStateBadRequest},
        {"number not in the phone book",
         "/api.aspx?" + SignedQuery(1001, "AgentID", "8001") + "&TeleNumber=10000&Guid=g",
         kStateNotInPhoneBook},
        {"call log with TalkType 5", CallLogQuery("{A}", 5), kStateBadRequest},
        {"call log with a bad StartTime", CallLogQuery("{A}", 1, "15.03.2024"), kStateBadRequest},
        {"call log without TalkType", "/api.aspx?" + SignedQuery(1002, "AgentID", "8001"),
         kStateBadRequest},
        {"app sign-in with wrong password",
         "/AppLogin.aspx?" + SignedQuery(2001, "EnterpriseID", "10001") +
             "&R=1&UserAccount=agent1&PWD=" + Md5Hex("x"),
         kStateWrongPassword},
        {"app sign-in of unknown user",
         "/AppLogin.aspx?" + SignedQuery(2001, "EnterpriseID", "10001") +
             "&R=1&UserAccount=agent9&PWD=" + pwd,
         kStateWrongPassword},
        {"app sign-in of unknown enterprise",
         "/AppLogin.aspx?" + SignedQuery(2001, "EnterpriseID", "999") +
             "&R=1&UserAccount=agent1&PWD=" + pwd,
         kStateNoSuchEnterprise},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Json answer = PostJson(c.target);
        EXPECT_EQ(answer["State"], c.state) << answer.dump();
        EXPECT_TRUE(answer["Message"].is_string());
    }
    EXPECT_TRUE(service_->database().callLogs().empty()) << "a refused call log was stored";
}

TEST_F(DemoApiMessagesTest, RawAndPercentEncodedQueriesGiveTheSameAnswer) {
    // The signature covers the decoded text, so an encoding HTTP layer does not break it.
    const std::string key = Md5Hex("M=1021&EnterpriseID=demo");
    EXPECT_EQ(PostJson("/api.aspx?KEY=" + key + "&M=1021&EnterpriseID=d%65mo")["State"], 1000);
    EXPECT_EQ(PostJson("/api.aspx?KEY=" + key + "&M=1021&EnterpriseID=demo")["State"], 1000);

    const std::string info = "/api.aspx?" + SignedQuery(1001, "AgentID", "8001") + "&Guid=%22g%22";
    const Json raw = PostJson(info + "&TeleNumber=13800138000");
    const Json encoded = PostJson(info + "&TeleNumber=%31%33%38%30%30%31%33%38%30%30%30");
    EXPECT_EQ(raw["State"], 1000);
    EXPECT_EQ(raw, encoded);
    EXPECT_EQ(raw["Province"], "广东");
    EXPECT_EQ(raw["City"], "深圳");
    EXPECT_EQ(raw["Corp"], "中国移动");

    // Raw UTF-8 bytes in the query are taken as they are.
    const std::string signedText = "M=1002&AgentID=8001";
    const std::string base =
        "/api.aspx?KEY=" + Md5Hex(signedText) + "&" + signedText +
        "&TalkType=2&StartTime=2024-03-15+09:30:12&StopTime=2024-03-15%2009:31:00"
        "&TeleNumber=075512345678";
    EXPECT_EQ(PostJson(base + "&VocID={R1}&UserName=张三")["State"], 1000);
    EXPECT_EQ(PostJson(base + "&VocID={R2}&UserName=%E5%BC%A0%E4%B8%89")["State"], 1000);
    const auto logs = service_->database().callLogs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].userName, "张三");
    EXPECT_EQ(logs[1].userName, "张三");
    EXPECT_EQ(logs[0].startTime, "2024-03-15 09:30:12");
}

TEST_F(DemoApiMessagesTest, AppSignInReadsFormEncodedAccountAndEitherCaseOfDigest) {
    service_->database().addUser(
        {8003, kSeedEnterpriseId, "wang wu", "pw", "王五", "演示中心_01", 1});
    const std::string lowerDigest = Lower(Md5Hex("pw"));
    const Json answer = PostJson("/AppLogin.aspx?" + SignedQuery(2001, "EnterpriseID", "10001") +
                                 "&R=5&UserAccount=wang+wu&PWD=" + lowerDigest);
    EXPECT_EQ(answer["State"], 1000) << answer.dump();
    EXPECT_EQ(answer["AgentID"], "8003");

    // An encoded "+" is a plus sign, not a space.
    service_->database().addUser({8004, kSeedEnterpriseId, "a+b", "pw", "A", "演示中心_01", 1});
    const Json plus = PostJson("/AppLogin.aspx?" + SignedQuery(2001, "EnterpriseID", "10001") +
                               "&R=5&UserAccount=a%2Bb&PWD=" + Md5Hex("pw"));
    EXPECT_EQ(plus["AgentID"], "8004") << plus.dump();
}

TEST_F(DemoApiMessagesTest, CallLogIsStoredWithEveryFieldAndAResendReplacesIt) {
    EXPECT_EQ(PostJson(CallLogQuery("{C1}"))["State"], 1000);
    EXPECT_EQ(PostJson(CallLogQuery("{C1}"))["State"], 1000);  // resent after a lost answer
    EXPECT_EQ(PostJson(CallLogQuery("{C2}", 11))["State"], 1000);

    const Json rows = GetJson("/admin/calllogs")["callLogs"];
    ASSERT_EQ(rows.size(), 2u);
    Json first;
    for (const auto& r : rows)
        if (r["VocID"] == "{C1}")
            first = r;
    ASSERT_FALSE(first.is_null());
    const std::pair<const char*, Json> expected[] = {
        {"AgentID", 8001},
        {"Guid", "abc"},
        {"UserAccount", "agent1"},
        {"UserName", "张三"},
        {"UserFullCode", "01_0105"},
        {"TeleNumber", "13800138000"},
        {"TalkType", 1},
        {"StartTime", "2024-03-15 09:30:12"},
        {"StopTime", "2024-03-15 09:31:40"},
        {"BusId", "8001"},
        {"EnterpriseName", "demo"},
        {"VoiceUri", "{C1}_8001_13800138000_20240315_093012_1.mp3"},
        {"CompanyName", "C"},
        {"ClientName", "N"},
        {"Corp", "Mobile"},
        {"Province", "P"},
        {"City", "Q"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(first[key], value) << key;
    EXPECT_EQ(service_->database().callLogs(0, true).size(), 1u);
}

TEST_F(DemoApiMessagesTest, VersionDocumentAnnouncesTheConfiguredVersions) {
    Json doc = GetJson("/verinfo/QuorvelVerInfo/");
    EXPECT_EQ(doc["State"], 1000);
    EXPECT_EQ(doc["urlRealHostIP"], "127.0.0.1");
    EXPECT_EQ(doc["urlRealHostPort"], service_->port());
    EXPECT_EQ(doc["RodiZeradUpgradeInfo"], Json::array());

    PostAdmin("/admin/settings",
              R"({"OfferedVersions":[{"Ver":"9.0.0.1","Path":"Quorvel"}],"RealHostPort":"9999"})");
    doc = GetJson("/verinfo/QuorvelVerInfo/");
    ASSERT_EQ(doc["RodiZeradUpgradeInfo"].size(), 1u);
    EXPECT_EQ(doc["RodiZeradUpgradeInfo"][0]["Ver"], "9.0.0.1");
    EXPECT_EQ(doc["RodiZeradUpgradeInfo"][0]["Path"], "Quorvel");
    EXPECT_EQ(doc["urlRealHostPort"], 9999);

    PostAdmin("/admin/settings", R"({"OfferedVersions":[{"Ver":1}]})", 400);
    PostAdmin("/admin/settings", "not json", 400);
    EXPECT_EQ(GetJson("/verinfo/QuorvelVerInfo/")["RodiZeradUpgradeInfo"].size(), 1u);
}

TEST_F(DemoApiMessagesTest, FreshDatabaseIsSeededOnceAndKeepsWhatItStored) {
    DemoServiceOptions options;
    options.port = 0;
    options.dataDir = dataDir_;  // database file in the data folder
    StartService(options);
    EXPECT_TRUE(service_->seededAtStart());
    const std::string accounts = DescribeAccounts(service_->database());
    for (const char* text : {"\"demo\"", "\"agent1\"", "\"agent2\"", "\"1234\"", "8001", "8002"})
        EXPECT_NE(accounts.find(text), std::string::npos) << text << " in\n" << accounts;
    EXPECT_GE(service_->database().phoneBook().size(), 3u);
    EXPECT_EQ(PostJson(CallLogQuery("{P1}"))["State"], 1000);

    StartService(options);  // the same database file again
    EXPECT_FALSE(service_->seededAtStart());
    EXPECT_EQ(service_->database().users().size(), 2u);
    EXPECT_EQ(service_->database().callLogs().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(dataDir_ + "/demo-service.db"));
}

}  // namespace
}  // namespace demo::testing
