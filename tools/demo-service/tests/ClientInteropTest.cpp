// The project's own service client against the demo service: the requests it builds (percent-
// encoded values, the signed text) and its multipart upload are understood, and what it sends
// is stored as sent.
#include <gtest/gtest.h>

#include <fstream>

#include "client/service/ApiQuery.h"
#include "client/service/ApiSignature.h"
#include "client/service/HttpRequest.h"
#include "client/service/RecordingUpload.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

class DemoClientInteropTest : public DemoServiceTest {
  protected:
    Json Send(const TApiQuery& query) {
        const THttpResult result = HttpRequest(query.url("127.0.0.1", service_->port()));
        EXPECT_EQ(result.code, 1) << result.text;
        EXPECT_EQ(result.status, 200);
        return Json::parse(result.text, nullptr, false);
    }
};

TEST_F(DemoClientInteropTest, ClientRequestsAreAnsweredAndStoredAsSent) {
    EXPECT_EQ(Send(TApiQuery(1021, "EnterpriseID", "demo"))["State"], 1000);
    const Json signIn = Send(TApiQuery(1000, "AgentID", "8001")
                                 .add("PWD", Md5Hex("1234"))
                                 .add("AppId", 1)
                                 .add("UserName", "张三")
                                 .add("UserAccount", "agent1")
                                 .add("Organization", "演示中心_01|客服部_0105")
                                 .add("r", 417));
    ASSERT_EQ(signIn["State"], 1000) << signIn.dump();
    // The GUID goes back with its quotes, as the client's field reader extracts it.
    const std::string guid = "\"" + signIn["GUID"].get<std::string>() + "\"";
    const Json info =
        Send(TApiQuery(1001, "AgentID", "8001").add("TeleNumber", "13800138000").add("Guid", guid));
    EXPECT_EQ(info["ClientName"], "王五");

    const Json logged = Send(TApiQuery(1002, "AgentID", "8001")
                                 .add("Guid", guid)
                                 .add("UserAccount", "agent1")
                                 .add("UserName", "张三")
                                 .add("UserFullCode", "01_0105")
                                 .add("TeleNumber", "13800138000")
                                 .add("TalkType", 1)
                                 .add("StartTime", "2024-03-15 09:30:12")
                                 .add("StopTime", "2024-03-15 09:31:40")
                                 .add("BusId", "8001")
                                 .add("EnterpriseName", "演示中心")
                                 .add("VoiceUri", "{G}_8001_13800138000_20240315_093012_1.mp3")
                                 .add("VocID", "{G}")
                                 .add("CompanyName", "深圳星河贸易有限公司")
                                 .add("ClientName", "王五")
                                 .add("Corp", "中国移动")
                                 .add("Province", "广东")
                                 .add("City", "深圳 & 南山=区"));
    EXPECT_EQ(logged["State"], 1000) << logged.dump();
    const auto logs = service_->database().callLogs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].guid, guid);
    EXPECT_EQ(logs[0].startTime, "2024-03-15 09:30:12");
    EXPECT_EQ(logs[0].enterpriseName, "演示中心");
    EXPECT_EQ(logs[0].city, "深圳 & 南山=区");
}

TEST_F(DemoClientInteropTest, ClientUploadIsStoredAndLinkedToItsCall) {
    const std::string path = dataDir_ + "/{G}_8001_13800138000_20240315_093012_1.mp3";
    std::string content = "ID3";
    for (int i = 0; i < 100000; ++i)
        content += static_cast<char>(i % 251);
    std::ofstream(path, std::ios::binary) << content;

    TVocFileInfo info;
    info.UserID = 800123;
    info.guidVocID = "{G}";
    info.locFile = path;
    const TRecordingUploadResult result = UploadRecording("127.0.0.1", service_->port(), info, {});
    EXPECT_TRUE(result.ok) << result.site << " " << result.message;
    EXPECT_EQ(result.status, 200);

    const auto recording = service_->database().findRecording("{G}");
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(recording->buid, "80012");
    EXPECT_EQ(recording->fileName, path);
    EXPECT_EQ(recording->md5, Md5Hex(content));
}

}  // namespace
}  // namespace demo::testing
