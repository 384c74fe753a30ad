// The recording upload worker over real HTTP on 127.0.0.1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "client/service/QueueFileXml.h"
#include "client/service/RecordingUpload.h"
#include "client/service/TTrdUploadVocFile.h"
#include "client/service/tests/ServiceFixture.h"
#include "client/service/tests/UploadTestSupport.h"
#include "platform/Paths.h"

using namespace servicetest;

namespace {

std::string AllByteValues(int repeat) {
    std::string s;
    for (int r = 0; r < repeat; ++r) {
        for (int b = 0; b < 256; ++b)
            s += static_cast<char>(b);
    }
    return s;
}

class UploadVocFileTest : public ServiceFixture {
  protected:
    std::unique_ptr<TTrdUploadVocFile> makeWorker(int port) {
        return std::make_unique<TTrdUploadVocFile>(FastOptions(port));
    }
    // A recording file in the data folder.
    TVocFileInfo recording(const std::string& name, const std::string& content, int userId = 8001) {
        std::filesystem::create_directories(dir.file("VocFile"));
        const std::string path = dir.file("VocFile/" + name);
        testsupport::WriteFile(path, content);
        return TVocFileInfo{userId, "{" + name + "}", path};
    }
    std::string queueFile() const { return dir.file(kVocQueueFile); }

    TLoopbackHttpServer server;
};

}  // namespace

TEST_F(UploadVocFileTest, PostsTheExactMultipartBodyAndDeletesTheFile) {
    const std::string content = AllByteValues(3);
    const TVocFileInfo info = recording("a b.mp3", content, 123456789);
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile(info);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    ASSERT_EQ(server.requestCount(), 1u);
    const TReceivedRequest r = server.requests()[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/UploadFiles/demo.asp?buid=12345");
    EXPECT_EQ(r.headers.at("content-type"), "multipart/form-data");
    EXPECT_EQ(r.headers.at("user-agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(r.headers.at("accept"), "text/html, */*");
    EXPECT_EQ(r.headers.count("expect"), 0u);
    const std::string expected =
        "-----------------------------7cf1d6c47c\r\n"
        "Content-Disposition: form-data; name=\"file1\"; filename=\"" +
        info.locFile +
        "\"\r\n"
        "Content-Type: application/octet-stream\r\n"
        "\r\n" +
        content +
        "\r\n-----------------------------7cf1d6c47c\r\n"
        "Content-Disposition: form-data; name=\"text1\"\r\n\r\n"
        "\r\n"
        "-----------------------------7cf1d6c47c--";
    EXPECT_EQ(r.body, expected);
    EXPECT_EQ(r.headers.at("content-length"), std::to_string(expected.size()));
    EXPECT_FALSE(platform::FileExists(info.locFile));
    loop.processPending();
    EXPECT_EQ(logCount("<MSG> 上传语音文件成功:a b.mp3"), 1);
}

TEST_F(UploadVocFileTest, KeepsTheFileWhenDelLocVocFileIsOff) {
    IniWriteInteger(kSectionBizAgent, "DelLocVocFile", 0);
    const TVocFileInfo info = recording("keep.mp3", "abc");
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile(info);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_TRUE(platform::FileExists(info.locFile));
}

TEST_F(UploadVocFileTest, AMissingFileLeavesTheQueueWithoutTraffic) {
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile({1, "{g}", dir.file("VocFile/gone.mp3")});
    const TVocFileInfo next = recording("next.mp3", "x");
    worker->SubmitVocFile(next);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_NE(server.requests()[0].body.find(next.locFile), std::string::npos);
    loop.processPending();
    EXPECT_EQ(logCount("<ERROR> 语音文件不存在:" + dir.file("VocFile/gone.mp3")), 1);
}

TEST_F(UploadVocFileTest, FailedUploadsAreRetriedInOrder) {
    struct Case {
        const char* name;
        TReply failing;  // the first two answers
    };
    TReply dropped;
    dropped.drop = true;
    TReply hang;
    hang.hang = true;
    const Case cases[] = {
        {"404", {404, ""}},
        {"500", {500, ""}},
        {"dropped connection", dropped},
        {"hanging server", hang},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLoopbackHttpServer s;
        std::atomic<int> seen{0};
        s.setResponder([&](const TReceivedRequest&) {
            return ++seen <= 2 ? c.failing : TReply{200, "anything"};
        });
        posted.clear();
        const TVocFileInfo first = recording("first.mp3", "1");
        const TVocFileInfo second = recording("second.mp3", "2");
        auto worker = makeWorker(s.port());
        worker->SubmitVocFile(first);
        worker->SubmitVocFile(second);
        ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 15000));
        worker.reset();
        const auto requests = s.requests();
        ASSERT_EQ(requests.size(), 4u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NE(requests[i].body.find(first.locFile), std::string::npos);
        }
        EXPECT_NE(requests[3].body.find(second.locFile), std::string::npos);
        loop.processPending();
        EXPECT_EQ(logCount("<ERROR> 上传语音文件异常-10:"), 2) << allLog();
    }
}

TEST_F(UploadVocFileTest, AFolderInPlaceOfTheRecordingCountsAsMissing) {
    const std::string folder = dir.file("VocFile/folder.mp3");
    std::filesystem::create_directories(folder);
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile({1, "{f}", folder});
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(platform::FolderExists(folder));  // a folder is never deleted
}

TEST_F(UploadVocFileTest, AFileCutShortMidUploadIsRetried) {
    // Larger than what the loopback socket buffers take in at once.
    const std::string content(24 * 1024 * 1024, 'r');
    const TVocFileInfo info = recording("cut.mp3", content);
    server.setReadThrottle(64 * 1024);
    server.setKeepBodies(false);
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile(info);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::truncate(info.locFile.c_str(), 1000), 0);
    ASSERT_TRUE(runUntil([&] { return logCount("<ERROR> 上传语音文件异常-11:") >= 1; }, 20000))
        << allLog();
    server.setReadThrottle(0);
    server.setKeepBodies(true);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 20000));
    worker.reset();
    const auto requests = server.requests();
    ASSERT_GE(requests.size(), 1u);
    EXPECT_NE(requests.back().body.find(std::string(1000, 'r') + "\r\n---"), std::string::npos);
}

TEST_F(UploadVocFileTest, AFileThatVanishesMidUploadStillGoesOutWhole) {
    const std::string content(24 * 1024 * 1024, 'v');
    const TVocFileInfo info = recording("vanish.mp3", content);
    server.setReadThrottle(64 * 1024);
    server.setKeepBodies(false);
    auto worker = makeWorker(server.port());
    worker->SubmitVocFile(info);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::unlink(info.locFile.c_str()), 0);  // the open file stays readable
    server.setReadThrottle(0);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 20000));
    worker.reset();
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].bodySize,
              MultipartHead(info.locFile).size() + content.size() + MultipartTail().size());
    loop.processPending();
    EXPECT_EQ(logCount("<MSG> 上传语音文件成功:vanish.mp3"), 1);
}

TEST_F(UploadVocFileTest, QueueFileRoundTripOfTwoRecordings) {
    const int port = ClosedPort();
    const TVocFileInfo a = recording("a.mp3", "A");
    const TVocFileInfo b = recording("b.mp3", "B");
    {
        auto worker = makeWorker(port);
        worker->SubmitVocFile(a);
        worker->SubmitVocFile(b);
    }
    loop.processPending();
    EXPECT_EQ(logCount("<MSG> 保存了 2 个语音文件到本地"), 1);
    const TQueueFileLoad file = LoadQueueFile(queueFile(), kVocRoot);
    ASSERT_EQ(file.status, TQueueFileLoad::Status::Loaded);
    ASSERT_EQ(file.fields.size(), 2u);
    EXPECT_EQ(file.fields[0].at("locFile"), a.locFile);
    EXPECT_EQ(file.fields[1].at("guidVocID"), "{b.mp3}");
    EXPECT_NE(testsupport::ReadFile(queueFile()).find("<VocRecords Ver=\"1\">"), std::string::npos);

    posted.clear();
    TLoopbackHttpServer s(port);
    auto worker = makeWorker(port);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    ASSERT_EQ(s.requestCount(), 2u);
    EXPECT_NE(s.requests()[0].body.find(a.locFile), std::string::npos);
    EXPECT_NE(s.requests()[1].body.find(b.locFile), std::string::npos);
    EXPECT_FALSE(platform::FileExists(queueFile()));
    EXPECT_EQ(logCount("历史"), 0);  // no count line, no error
}

TEST_F(UploadVocFileTest, BadChildrenAreDroppedWithTheirLine) {
    const TVocFileInfo ok = recording("ok.mp3", "x");
    testsupport::WriteFile(queueFile(),
                           "<VocRecords Ver=\"1\">"
                           "<Field UserID=\"x1\" guidVocID=\"g\" locFile=\"/a.mp3\"/>"
                           "<Field UserID=\"1\" locFile=\"/b.mp3\"/>"
                           "<Field UserID=\"1\" guidVocID=\"g\" locFile=\"" +
                               ok.locFile + "\" Extra=\"1\"/></VocRecords>");
    auto worker = makeWorker(server.port());
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    EXPECT_EQ(server.requestCount(), 1u);
    loop.processPending();
    EXPECT_EQ(logCount("<ERROR> 提交历史语音文件: /a.mp3 异常-20  "), 1) << allLog();
    EXPECT_EQ(logCount("<ERROR> 提交历史语音文件: /b.mp3 异常-20  "), 1);
    EXPECT_TRUE(platform::FileExists(queueFile() + ".skipped"));
}
