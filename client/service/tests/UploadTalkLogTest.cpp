// The call-log upload worker over real HTTP on 127.0.0.1, with its queue
// files and journal in a temporary data folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <memory>

#include "client/service/ApiSignature.h"
#include "client/service/QueueFileXml.h"
#include "client/service/RecordJournal.h"
#include "client/service/TTrdUploadTalkLog.h"
#include "client/service/tests/ServiceFixture.h"
#include "client/service/tests/UploadTestSupport.h"
#include "platform/Paths.h"

using namespace servicetest;

namespace {

class UploadTalkLogTest : public ServiceFixture {
  protected:
    std::unique_ptr<TTrdUploadTalkLog> makeWorker(int port) {
        return std::make_unique<TTrdUploadTalkLog>(FastOptions(port));
    }
    std::string queueFile() const { return dir.file(kCallLogQueueFile); }
    std::string journalFile() const { return dir.file(kCallLogJournalFile); }

    // The TeleNumber of every request received, in arrival order.
    static std::vector<std::string> Numbers(const TLoopbackHttpServer& s) {
        std::vector<std::string> out;
        for (const auto& r : s.requests())
            out.push_back(QueryValue(r.target, "TeleNumber"));
        return out;
    }
    // Files in the data folder whose names start with `prefix`.
    std::vector<std::string> filesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name.rfind(prefix, 0) == 0)
                out.push_back(name);
        }
        return out;
    }

    TLoopbackHttpServer server;
};

std::vector<std::string> Names(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i < to; ++i)
        out.push_back("n" + std::to_string(i));
    return out;
}

}  // namespace

TEST_F(UploadTalkLogTest, SendsTheExactQueryOfACallRecord) {
    SetSignInGuid("\"ab12\"");
    TTalkInfo t = MakeTalk(1);
    t.UserName = "张 三";
    t.CompanyName = "A&B=C#1";
    t.ClientName = "50%+";
    auto worker = makeWorker(server.port());
    worker->SubmitTalkLog(t);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    worker.reset();
    const std::string expected =
        "/api.aspx?KEY=" + Md5Hex("M=1002&AgentID=8001") +
        "&M=1002&AgentID=8001&Guid=%22ab12%22&UserAccount=agent1"
        "&UserName=%E5%BC%A0%20%E4%B8%89&UserFullCode=01_0105&TeleNumber=n1&TalkType=1"
        "&StartTime=2024-03-15%2009%3A30%3A12&StopTime=2024-03-15%2009%3A31%3A02&BusId=8001"
        "&EnterpriseName=ent&VoiceUri=rec1.mp3&VocID=%7BG-1%7D&CompanyName=A%26B%3DC%231"
        "&ClientName=50%25%2B&Corp=corp&Province=prov&City=city";
    EXPECT_EQ(server.requests()[0].target, expected);
    EXPECT_EQ(server.requests()[0].method, "POST");
    SetSignInGuid("");
    loop.processPending();
    EXPECT_EQ(logCount("<MSG> 话单上传成功:话单 TelNo:n1 VocID:{G-1} Time:2024-03-15 09:30:12"), 1);
}

TEST_F(UploadTalkLogTest, MissedCallsAndBusIds) {
    TTalkInfo missed = MakeTalk(1);
    missed.TalkType = 11;
    missed.tmEnd = missed.tmStart;
    missed.locFile = "";
    missed.UserID = 123456789;
    TTalkInfo shortId = MakeTalk(2);
    shortId.UserID = 1234;
    auto worker = makeWorker(server.port());
    worker->SubmitTalkLog(missed);
    worker->SubmitTalkLog(shortId);
    ASSERT_TRUE(server.waitForRequests(2, 5000));
    worker.reset();
    const auto requests = server.requests();
    const std::string& m = requests[0].target;
    EXPECT_EQ(QueryValue(m, "TalkType"), "11");
    EXPECT_EQ(QueryValue(m, "StartTime"), QueryValue(m, "StopTime"));
    EXPECT_NE(m.find("&VoiceUri=&"), std::string::npos);
    EXPECT_EQ(QueryValue(m, "BusId"), "12345");
    EXPECT_NE(m.find("&M=1002&AgentID=123456789&"), std::string::npos);
    EXPECT_EQ(QueryValue(requests[1].target, "BusId"), "1234");
    const std::vector<std::string> keys = {"KEY",
                                           "M",
                                           "AgentID",
                                           "Guid",
                                           "UserAccount",
                                           "UserName",
                                           "UserFullCode",
                                           "TeleNumber",
                                           "TalkType",
                                           "StartTime",
                                           "StopTime",
                                           "BusId",
                                           "EnterpriseName",
                                           "VoiceUri",
                                           "VocID",
                                           "CompanyName",
                                           "ClientName",
                                           "Corp",
                                           "Province",
                                           "City"};
    EXPECT_EQ(QueryKeys(m), keys);
}

TEST_F(UploadTalkLogTest, WhichAnswersCountAsDelivered) {
    struct Case {
        const char* name;
        TReply failing;  // the first two answers
        bool retried;
    };
    TReply dropped;
    dropped.drop = true;
    TReply hang;
    hang.hang = true;
    const Case cases[] = {
        {"404 is a permanent refusal", {404, ""}, false},
        {"200 with another State", {200, "{\"State\":1}"}, false},
        {"500", {500, ""}, true},
        {"503", {503, ""}, true},
        {"408", {408, ""}, true},
        {"429", {429, ""}, true},
        {"dropped connection", dropped, true},
        {"hanging server, freed by the time-out", hang, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLoopbackHttpServer s;
        std::atomic<int> seen{0};
        s.setResponder([&](const TReceivedRequest&) {
            return ++seen <= 2 ? c.failing : TReply{200, "{\"State\":1000}"};
        });
        posted.clear();
        auto worker = makeWorker(s.port());
        worker->SubmitTalkLog(MakeTalk(1));
        worker->SubmitTalkLog(MakeTalk(2));
        ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 10000));
        worker.reset();
        loop.processPending();
        if (c.retried) {
            EXPECT_EQ(Numbers(s), (std::vector<std::string>{"n1", "n1", "n1", "n2"}));
            EXPECT_EQ(logCount("<ERROR> 上传话单POST失败 <"), 2) << allLog();
        } else {
            EXPECT_EQ(Numbers(s), (std::vector<std::string>{"n1", "n2"}));
        }
        EXPECT_EQ(logCount("<WARN> 话单上传被服务拒绝"), c.failing.status == 404 ? 2 : 0);
    }
}

TEST_F(UploadTalkLogTest, RecordsGoStrictlyInOrderWhileTheServiceFailsAndRecovers) {
    const int port = ClosedPort();
    auto worker = makeWorker(port);
    for (int i = 0; i < 5; ++i)
        worker->SubmitTalkLog(MakeTalk(i));
    ASSERT_TRUE(waitForLog("<ERROR> 上传话单POST失败 <-1> xmlHttp-Send异常:"));

    TLoopbackHttpServer s(port);
    std::atomic<int> seen{0};
    s.setResponder([&](const TReceivedRequest&) {
        const int n = ++seen;
        if (n % 3 == 0)
            return TReply{500, ""};
        TReply r{200, "{\"State\":1000}"};
        r.drop = n % 5 == 0;
        return r;
    });
    for (int i = 5; i < 30; ++i)
        worker->SubmitTalkLog(MakeTalk(i));
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }, 20000));
    worker.reset();
    // Delivered requests, in arrival order, are exactly n0..n29.
    std::vector<std::string> delivered;
    int n = 0;
    for (const auto& r : s.requests()) {
        ++n;
        if (n % 3 != 0 && n % 5 != 0)
            delivered.push_back(QueryValue(r.target, "TeleNumber"));
    }
    EXPECT_EQ(delivered, Names(0, 30));
}

TEST_F(UploadTalkLogTest, QueueFileRoundTripOfThreeRecords) {
    const int port = ClosedPort();
    {
        auto worker = makeWorker(port);
        for (int i = 1; i <= 3; ++i)
            worker->SubmitTalkLog(MakeTalk(i));
    }
    loop.processPending();
    EXPECT_EQ(logCount("<MSG> 保存 3 条话单到本地 "), 1);
    EXPECT_FALSE(platform::FileExists(journalFile()));
    const TQueueFileLoad file = LoadQueueFile(queueFile(), kCallLogRoot);
    ASSERT_EQ(file.status, TQueueFileLoad::Status::Loaded);
    ASSERT_EQ(file.fields.size(), 3u);
    const std::string text = testsupport::ReadFile(queueFile());
    EXPECT_NE(text.find("<CallLogs Ver=\"1\">"), std::string::npos) << text;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.fields[i].size(), 16u);
        EXPECT_EQ(file.fields[i].at("CallerID"), "n" + std::to_string(i + 1));
        EXPECT_EQ(file.fields[i].at("tmStart"), "2024-03-15 09:30:12");
    }

    posted.clear();
    TLoopbackHttpServer s(port);
    auto worker = makeWorker(port);
    EXPECT_FALSE(platform::FileExists(queueFile()));  // its records are in the journal now
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    EXPECT_EQ(Numbers(s), Names(1, 4));
    EXPECT_EQ(logCount("<MSG> 历史话单数: 3"), 1);
    EXPECT_FALSE(platform::FileExists(queueFile()));  // empty queue: no file
    EXPECT_FALSE(platform::FileExists(journalFile()));
}

TEST_F(UploadTalkLogTest, AFileInTheOriginalFormatLoads) {
    testsupport::WriteFile(
        queueFile(),
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<CallLogs Ver=\"1\">"
        "<Field UserID=\"8001\" UserAccount=\"a\" UserName=\"\xd5\xc5\xc8\xfd\" CallerID=\"010\" "
        "UserFullCode=\"01\" CompanyName=\"\" ClientName=\"\" Corp=\"\" Province=\"\" City=\"\" "
        "TalkType=\"2\" tmStart=\"2024/3/15 9:30:12\" tmEnd=\"2024/3/15 9:31:02\" "
        "guidVocID=\"{G}\" locFile=\"\" EnterpriseName=\"e\"/></CallLogs>");
    auto worker = makeWorker(server.port());
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    worker.reset();
    const std::string target = server.requests()[0].target;
    EXPECT_EQ(QueryValue(target, "UserName"), "张三");
    EXPECT_EQ(QueryValue(target, "StartTime"), "2024-03-15 09:30:12");
    EXPECT_EQ(QueryValue(target, "TalkType"), "2");
}

TEST_F(UploadTalkLogTest, BadQueueFilesLoseOnlyWhatCannotBeRead) {
    const std::string good1 =
        "<Field UserID=\"1\" UserAccount=\"a\" UserName=\"u\" CallerID=\"good1\" UserFullCode=\"\" "
        "CompanyName=\"\" ClientName=\"\" Corp=\"\" Province=\"\" City=\"\" TalkType=\"1\" "
        "tmStart=\"2024-03-15 09:30:12\" tmEnd=\"2024-03-15 09:31:02\" guidVocID=\"g\" "
        "locFile=\"\" EnterpriseName=\"e\"/>";
    auto variant = [&](const std::string& from, const std::string& to) {
        std::string s = good1;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::string good2 = variant("good1", "good2");
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> sent;
        const char* logPart;
        bool setAside;
    };
    const Case cases[] = {
        {"wrong root", "<Other Ver=\"1\">" + good1 + "</Other>", {}, "根节点不是 CallLogs", true},
        {"child lacking an attribute",
         "<CallLogs Ver=\"1\">" + variant(" EnterpriseName=\"e\"", "") + good2 + "</CallLogs>",
         {"good2"},
         "<ERROR> 提交历史话单异常: TelNo:good1 CallType:接听 Time:2024-03-15 09:30:12 ->",
         false},
        {"TalkType not a number",
         "<CallLogs Ver=\"1\">" + variant("TalkType=\"1\"", "TalkType=\"x\"") + good2 +
             "</CallLogs>",
         {"good2"},
         "提交历史话单异常",
         false},
        {"absurd date and id",
         "<CallLogs Ver=\"1\">" + variant("2024-03-15 09:30:12", "2024-13-45 99:00:00") +
             variant("UserID=\"1\"", "UserID=\"99999999999\"") + good2 + "</CallLogs>",
         {"good2"},
         "提交历史话单异常",
         false},
        {"extra attribute",
         "<CallLogs Ver=\"1\">" + variant("UserID", "Extra=\"x\" UserID") + "</CallLogs>",
         {"good1"},
         "历史话单数: 1",
         false},
        {"duplicated attribute",
         "<CallLogs Ver=\"1\">" + good2 + variant("UserID=\"1\"", "UserID=\"1\" UserID=\"2\"") +
             "</CallLogs>",
         {"good2", "good1"},  // what a recovering parse still reads is kept
         "<ERROR> 读取历史话单异常-2: ->",
         true},
        {"truncated file",
         "<CallLogs Ver=\"1\">" + good1 + good2.substr(0, 60),
         {"good1"},
         "读取历史话单异常-2",
         true},
        {"binary garbage", std::string("\x00\xff\xfe<<\x01", 6), {}, "读取历史话单异常-2", true},
        {"empty file", "", {}, "读取历史话单异常-2", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLoopbackHttpServer s;
        for (const auto& name : filesStartingWith(kCallLogQueueFile)) {
            std::filesystem::remove(dir.file(name));
        }
        testsupport::WriteFile(queueFile(), c.content);
        posted.clear();
        auto worker = makeWorker(s.port());
        ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
        worker.reset();
        loop.processPending();
        EXPECT_EQ(Numbers(s), c.sent);
        EXPECT_GE(logCount(c.logPart), 1) << allLog();
        EXPECT_FALSE(platform::FileExists(queueFile()));
        bool aside = false;
        for (const auto& name : filesStartingWith(kCallLogQueueFile)) {
            aside = aside || (name.size() > 4 && name.substr(name.size() - 4) == ".bad");
        }
        EXPECT_EQ(aside, c.setAside);
    }
}

TEST_F(UploadTalkLogTest, ASubmittedRecordIsOnDiskBeforeSubmitReturns) {
    const int port = ClosedPort();
    auto worker = makeWorker(port);
    for (int i = 1; i <= 3; ++i) {
        worker->SubmitTalkLog(MakeTalk(i));
        EXPECT_EQ(TRecordJournal::Replay(journalFile()).pending.size(), static_cast<size_t>(i));
    }
    // What a kill at this moment leaves behind: the journal, and no queue file.
    const std::string journal = testsupport::ReadFile(journalFile());
    worker.reset();
    std::filesystem::remove(queueFile());
    testsupport::WriteFile(journalFile(), journal + "A 4 0000");  // and a torn last line
    posted.clear();

    TLoopbackHttpServer s(port);
    worker = makeWorker(port);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker->SubmitTalkLog(MakeTalk(4));
    ASSERT_TRUE(s.waitForRequests(4, 5000));
    worker.reset();
    EXPECT_EQ(Numbers(s), Names(1, 5));
    EXPECT_EQ(logCount("从日志恢复话单数: 3"), 1);
    EXPECT_EQ(logCount("行不完整"), 1);
    EXPECT_FALSE(platform::FileExists(journalFile()));
}

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous_); }

  private:
    rlimit previous_{};
};

TEST_F(UploadTalkLogTest, AFullDiskLosesNothingThatCouldBeKept) {
    const int port = ClosedPort();
    auto worker = makeWorker(port);
    worker->SubmitTalkLog(MakeTalk(1));
    {
        FileSizeLimit full(static_cast<rlim_t>(std::filesystem::file_size(journalFile())));
        worker->SubmitTalkLog(MakeTalk(2));  // refused by the disk: kept in memory
        worker->SubmitTalkLog(MakeTalk(3));
        EXPECT_EQ(TRecordJournal::Replay(journalFile()).pending.size(), 1u);
    }
    // Space again: the worker writes the whole queue out by itself.
    ASSERT_TRUE(waitForLog("<MSG> 话单队列已写入磁盘"));
    EXPECT_EQ(TRecordJournal::Replay(journalFile()).pending.size(), 3u);
    {
        // The queue file cannot be written at the end: the journal stays.
        FileSizeLimit full(64);
        worker.reset();
    }
    loop.processPending();
    EXPECT_EQ(logCount("<ERROR> 保存话单到本地时异常-3 ->"), 1) << allLog();
    EXPECT_TRUE(platform::FileExists(journalFile()));

    TLoopbackHttpServer s(port);
    worker = makeWorker(port);
    ASSERT_TRUE(runUntil([&] { return worker->QueueLength() == 0; }));
    worker.reset();
    EXPECT_EQ(Numbers(s), Names(1, 4));
}
