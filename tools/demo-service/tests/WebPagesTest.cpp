// The web application's pages as served: addresses, content types, the page bridge constant
// and the data the call lists show.
#include <gtest/gtest.h>

#include "client/service/ApiSignature.h"
#include "client/webhost/PageBridgeProtocol.h"
#include "tools/demo-service/src/WebAssets.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

class DemoWebPagesTest : public DemoServiceTest {
  protected:
    httplib::Result Get(const std::string& target) {
        auto client = Client();
        return client.Get(target.c_str());
    }
    void StoreCall(const std::string& vocId, int talkType) {
        const Json answer =
            PostJson("/api.aspx?" + SignedQuery(1002, "AgentID", "8001") +
                     "&TalkType=" + std::to_string(talkType) +
                     "&StartTime=2024-03-15%2009:30:12&StopTime=2024-03-15%2009:31:00"
                     "&TeleNumber=13800138000&UserName=%E5%BC%A0%E4%B8%89&VocID=" +
                     vocId);
        ASSERT_EQ(answer["State"], 1000);
    }
};

TEST_F(DemoWebPagesTest, EveryPageIsServedAsHtmlWithTheBridgeFilledIn) {
    const std::pair<const char*, const char*> pages[] = {
        {"/Modules/CallPopup.aspx?EnterpriseID=10001&UserAccount=agent1&PWD=X&RANDOM=123",
         "function onKTAEvent(event, handle, params)"},
        {"/Modules/Home.aspx?EnterpriseID=10001&AgentID=8001", "TalkList2.aspx"},
        {"/Modules/Dvs/TalkList2.aspx?CompanyID=10001&AgentID=8001&jsonScope={\"Scope\":[]}",
         "CallLogs.json"},
        {"/Modules/Dvs/MissCall2.aspx?CompanyID=10001&AgentID=8001&jsonScope=x", "MissCall2"},
        {"/Modules/myPlayer.aspx?vocID={X}", "<audio"},
        {"/Modules/PhoneBook.aspx", "PhoneBook.json"},
        {"/Modules/About.aspx", "not a production service"},
        {"/", "/api.aspx"},
    };
    for (const auto& [target, marker] : pages) {
        SCOPED_TRACE(target);
        auto res = Get(target);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_NE(res->body.find(marker), std::string::npos);
    }
    auto script = Get("/web/common.js");
    ASSERT_TRUE(script);
    EXPECT_NE(script->body.find(std::string("\"http://") + webhost::kPageBridgeSentinel),
              std::string::npos)
        << "the pages must use the client's sentinel";
    for (const auto& file : EmbeddedWebFiles()) {
        auto res = Get(std::string("/web/") + file.name);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << file.name;
        EXPECT_EQ(res->body.find('@' + std::string("SENTINEL_HOST@")), std::string::npos)
            << file.name;
        EXPECT_EQ(res->body.find('@' + std::string("ACTION_PATH@")), std::string::npos)
            << file.name;
    }
}

TEST_F(DemoWebPagesTest, PopupPageSendsTheThreeCommandsThroughTheBridge) {
    auto res = Get("/Modules/CallPopup.aspx");
    ASSERT_TRUE(res);
    // Ready on load, work finished, and play once a VOCID has arrived.
    EXPECT_NE(res->body.find("addEventListener(\"load\""), std::string::npos);
    for (const char* command : {"sendBridgeCommand(handleId, 3,", "sendBridgeCommand(handleId, 1,",
                                "sendBridgeCommand(handleId, 2, vocId)", "data.VOCID"})
        EXPECT_NE(res->body.find(command), std::string::npos) << command;
}

TEST_F(DemoWebPagesTest, CallListDataHoldsWhatTheCallLogsStored) {
    StoreCall("{A}", 1);
    StoreCall("{B}", 11);
    StoreCall("{C}", 2);
    const Json all = GetJson("/Modules/Dvs/CallLogs.json?AgentID=8001");
    ASSERT_EQ(all["CallLogs"].size(), 3u);
    EXPECT_EQ(all["CallLogs"][0]["UserName"], "张三");
    const Json missed = GetJson("/Modules/Dvs/CallLogs.json?AgentID=8001&Missed=1");
    ASSERT_EQ(missed["CallLogs"].size(), 1u);
    EXPECT_EQ(missed["CallLogs"][0]["VocID"], "{B}");
    EXPECT_EQ(missed["CallLogs"][0]["HasRecording"], false);
    EXPECT_TRUE(GetJson("/Modules/Dvs/CallLogs.json?AgentID=8002")["CallLogs"].empty());
    EXPECT_GE(GetJson("/Modules/PhoneBook.json")["PhoneBook"].size(), 3u);
}

TEST_F(DemoWebPagesTest, ProbeAnswersAndUnknownAddressesDoNot) {
    auto probe = Get("/probe");
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->status, 200);
    EXPECT_EQ(probe->body, "OK");
    for (const char* target : {"/nothing", "/web/none.js", "/web/../CMakeLists.txt",
                               "/Modules/Recording.mp3?vocID={none}"}) {
        auto res = Get(target);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404) << target;
    }
}

}  // namespace
}  // namespace demo::testing
