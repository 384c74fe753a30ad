// The recording upload page over HTTP: the client's exact body, standard multipart, the link
// to the call, and the bodies that are refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "client/service/ApiSignature.h"
#include "tools/demo-service/tests/DemoServiceFixture.h"

namespace demo::testing {
namespace {

const std::string kVocId = "{6F9619FF-8B86-D011-B42D-00C04FC964FF}";
const std::string kFileName = kVocId + "_8001_13800138000_20240315_093012_1.mp3";

// Bytes an MP3 may hold, including a line break and the start of the delimiter.
std::string RecordingBytes() {
    std::string bytes = "ID3\x03";
    bytes += std::string("\0\xff\xfb\x90\r\n-----------------------------7cf1", 40);
    for (int i = 0; i < 5000; ++i)
        bytes += static_cast<char>(i * 7);
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class DemoUploadTest : public DemoServiceTest {
  protected:
    httplib::Result PostClientBody(const std::string& body, const std::string& buid = "80011") {
        auto client = Client();
        return client.Post(("/UploadFiles/demo.asp?buid=" + buid).c_str(), body,
                           "multipart/form-data");
    }
    void ExpectStored(const std::string& content) {
        const auto recording = service_->database().findRecording(kVocId);
        ASSERT_TRUE(recording.has_value());
        EXPECT_EQ(ReadFile(recording->storedPath), content);
        EXPECT_EQ(recording->size, static_cast<long long>(content.size()));
        EXPECT_EQ(recording->md5, Md5Hex(content));
        EXPECT_EQ(recording->storedPath.rfind(dataDir_, 0), 0u) << recording->storedPath;
    }
};

TEST_F(DemoUploadTest, ClientBodyWithoutBoundaryParameterIsStoredAndLinkedToItsCall) {
    const std::string content = RecordingBytes();
    const std::string localPath = "/home/agent/Documents/Quorvel/VocFile/20240315/" + kFileName;
    auto res = PostClientBody(ClientUploadBody(localPath, content));
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    const Json answer = Json::parse(res->body);
    EXPECT_EQ(answer["State"], 1000);
    EXPECT_EQ(answer["VocID"], kVocId);
    ExpectStored(content);
    const auto recording = service_->database().findRecording(kVocId);
    EXPECT_EQ(recording->buid, "80011");
    EXPECT_EQ(recording->fileName, localPath);

    // The call's log finds it, and the player's data address plays it.
    const std::string signedText = "M=1002&AgentID=8001";
    const Json logged = PostJson("/api.aspx?KEY=" + Md5Hex(signedText) + "&" + signedText +
                                 "&TalkType=1&StartTime=2024-03-15%2009:30:12"
                                 "&StopTime=2024-03-15%2009:31:00&TeleNumber=13800138000&VocID=" +
                                 kVocId);
    EXPECT_EQ(logged["State"], 1000);
    const Json list = GetJson("/Modules/Dvs/CallLogs.json?AgentID=8001");
    ASSERT_EQ(list["CallLogs"].size(), 1u);
    EXPECT_EQ(list["CallLogs"][0]["HasRecording"], true);
    auto client = Client();
    auto audio =
        client.Get(("/Modules/Recording.mp3?vocID=" + PercentEncodeQueryValue(kVocId)).c_str());
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->status, 200);
    EXPECT_EQ(audio->get_header_value("Content-Type"), "audio/mpeg");
    EXPECT_EQ(audio->body, content);
}

TEST_F(DemoUploadTest, WindowsPathAndStandardMultipartAreReadToo) {
    const std::string content = RecordingBytes();
    auto res = PostClientBody(ClientUploadBody(
        "C:\\Users\\agent\\Documents\\Quorvel\\VocFile\\20240315\\" + kFileName, content));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200) << res->body;
    ExpectStored(content);

    const std::string second = content + "more";
    httplib::MultipartFormDataItems items = {
        {"file1", second, kFileName, "application/octet-stream"},
        {"text1", "", "", ""},
    };
    auto client = Client();
    auto standard = client.Post("/UploadFiles/demo.asp?buid=8001", items);
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->status, 200) << standard->body;
    ExpectStored(second);  // the later upload of the same call replaces the first
    EXPECT_EQ(service_->database().recordings().size(), 1u);
}

TEST_F(DemoUploadTest, MalformedBodiesAreRefusedAndStoreNothing) {
    const std::string good = ClientUploadBody("/tmp/" + kFileName, "abc");
    const std::string delimiter = "-----------------------------7cf1d6c47c";
    struct Case {
        const char* what;
        std::string body;
        std::string buid = "8001";
    };
    const Case cases[] = {
        {"empty body", ""},
        {"body without any line break", "just some bytes"},
        {"first line is no delimiter", "hello\r\n" + good.substr(delimiter.size() + 2)},
        {"truncated in the file", good.substr(0, good.size() / 2)},
        {"no closing delimiter", good.substr(0, good.size() - 2) + "\r\n"},
        {"headers never end", delimiter + "\r\nContent-Disposition: form-data; name=\"file1\""},
        {"no file1 part", delimiter +
                              "\r\nContent-Disposition: form-data; name=\"text1\"\r\n\r\n\r\n" +
                              delimiter + "--"},
        {"file name without call identifier", ClientUploadBody("/tmp/recording.mp3", "abc")},
        {"file name starting with _", ClientUploadBody("/tmp/_x.mp3", "abc")},
        {"buid missing", good, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto client = Client();
        const std::string target =
            c.buid.empty() ? "/UploadFiles/demo.asp" : "/UploadFiles/demo.asp?buid=" + c.buid;
        auto res = client.Post(target.c_str(), c.body, "multipart/form-data");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400) << res->body;
        EXPECT_EQ(Json::parse(res->body, nullptr, false)["State"], 4000);
    }
    EXPECT_TRUE(service_->database().recordings().empty());
    auto client = Client();
    auto get = client.Get("/UploadFiles/demo.asp?buid=1");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->status, 405);
}

TEST_F(DemoUploadTest, BodyOverTheSizeLimitIsRefusedAndTheServiceGoesOn) {
    DemoServiceOptions options;
    options.port = 0;
    options.dataDir = dataDir_;
    options.dbPath = ":memory:";
    options.maxUploadBytes = 4096;
    StartService(options);
    auto res = PostClientBody(ClientUploadBody("/tmp/" + kFileName, std::string(8000, 'x')));
    if (res) {
        EXPECT_EQ(res->status, 413);  // or the connection is closed while sending
    }
    EXPECT_TRUE(service_->database().recordings().empty());

    auto small = PostClientBody(ClientUploadBody("/tmp/" + kFileName, "small"));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->status, 200);
    ExpectStored("small");
}

}  // namespace
}  // namespace demo::testing
