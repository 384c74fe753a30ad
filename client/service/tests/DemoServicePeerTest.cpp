// The upload workers and the caller-information look-up against the demo
// service, the real HTTP peer, in-process on a loopback port.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "client/service/ApiSignature.h"
#include "client/service/JsonField.h"
#include "client/service/TTrdGetCallerInfo.h"
#include "client/service/TTrdUploadTalkLog.h"
#include "client/service/TTrdUploadVocFile.h"
#include "client/service/tests/ServiceFixture.h"
#include "client/service/tests/UploadTestSupport.h"
#include "tools/demo-service/src/DemoService.h"

using namespace servicetest;

namespace {

class DemoServicePeerTest : public ServiceFixture {
  protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        demo::DemoServiceOptions options;
        options.port = 0;
        options.dataDir = dir.file("demo");
        options.dbPath = ":memory:";
        std::filesystem::create_directories(options.dataDir);
        service = std::make_unique<demo::DemoService>(options);
        std::string error;
        ASSERT_TRUE(service->start(error)) << error;
    }
    void TearDown() override {
        if (service)
            service->stop();
        ServiceFixture::TearDown();
    }
    void failNext(const std::string& path, demo::FaultMode mode, int count) {
        demo::FaultRule rule;
        rule.path = path;
        rule.mode = mode;
        rule.status = 500;
        rule.count = count;
        service->faults().add(rule);
    }
    std::unique_ptr<demo::DemoService> service;
};

}  // namespace

TEST_F(DemoServicePeerTest, CallLogsArriveInOrderThroughFailures) {
    failNext("/api.aspx", demo::FaultMode::kStatus, 2);
    failNext("/api.aspx", demo::FaultMode::kDrop, 1);
    auto worker = std::make_unique<TTrdUploadTalkLog>(FastOptions(service->port()));
    for (int i = 1; i <= 3; ++i) {
        TTalkInfo t = MakeTalk(i);
        t.UserName = "张三 & 李四";
        t.CompanyName = "A=B#C%";
        worker->SubmitTalkLog(t);
    }
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 15000)) << allLog();
    worker.reset();
    auto logs = service->database().callLogs();
    ASSERT_EQ(logs.size(), 3u);
    // In the order the service stored them.
    std::sort(logs.begin(), logs.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(logs[i].teleNumber, "n" + std::to_string(i + 1));
        EXPECT_EQ(logs[i].userName, "张三 & 李四");
        EXPECT_EQ(logs[i].companyName, "A=B#C%");
        EXPECT_EQ(logs[i].startTime, "2024-03-15 09:30:12");
        EXPECT_EQ(logs[i].busId, "8001");
        EXPECT_EQ(logs[i].voiceUri, "rec" + std::to_string(i + 1) + ".mp3");
    }
    loop.processPending();
    EXPECT_EQ(logCount("<ERROR> 上传话单POST失败 <"), 3) << allLog();
}

TEST_F(DemoServicePeerTest, RecordingsAreStoredByteForByte) {
    failNext("/UploadFiles/demo.asp", demo::FaultMode::kStatus, 1);
    std::filesystem::create_directories(dir.file("VocFile"));
    const std::string path = dir.file("VocFile/{G-1}_20240315093012.mp3");
    std::string content;
    for (int i = 0; i < 70000; ++i)
        content += static_cast<char>(i * 7);
    testsupport::WriteFile(path, content);
    auto worker = std::make_unique<TTrdUploadVocFile>(FastOptions(service->port()));
    worker->SubmitVocFile({8001, "{G-1}", path});
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 15000)) << allLog();
    worker.reset();
    const auto recordings = service->database().recordings();
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_EQ(recordings[0].fileName, path);
    EXPECT_EQ(recordings[0].buid, "8001");
    EXPECT_EQ(testsupport::ReadFile(recordings[0].storedPath), content);
    loop.processPending();
    EXPECT_EQ(logCount("<ERROR> 上传语音文件异常-10:"), 1) << allLog();
}

TEST_F(DemoServicePeerTest, CallerInformationOfAKnownNumber) {
    TTrdGetCallerInfo("127.0.0.1", service->port(), 8001, "13800138000", 3, window->handle());
    ASSERT_TRUE(runUntil([&] { return messages(WM_TRD_CALLERINFO).size() == 1; }));
    const std::string answer = messages(WM_TRD_CALLERINFO)[0].text;
    EXPECT_EQ(GetJsonField(answer, "State"), "1000") << answer;
    EXPECT_FALSE(GetJsonField(answer, "City").empty()) << answer;
    EXPECT_TRUE(WaitForOneShotWorkers(5000));
}
