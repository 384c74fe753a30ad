// The pages in a real browser engine. The call pop-up defines onKTAEvent, shows each event,
// says it is ready on load, and sends "work finished" and "play recording" to the sentinel
// address with the pop-up's handle, as the client's page bridge expects; the call lists show
// what the call logs stored.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>

#include <functional>
#include <memory>
#include <vector>

#include "client/webhost/PageBridgeProtocol.h"
#include "tools/demo-service/src/DemoService.h"
#include "tools/demo-service/src/JsonText.h"

namespace demo::testing {
namespace {

QGuiApplication& App() {
    static QGuiApplication* app = [] {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        static int argc = 1;
        static char name[] = "demo_service_browser_tests";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A page that catches sentinel navigations as the client does, and keeps their JSON.
class BridgePage : public QWebEnginePage {
  public:
    std::vector<Json> commands;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        // The engine percent-encodes quotes in the query; decode before reading the JSON.
        const QString text = QUrl::fromPercentEncoding(url.toEncoded());
        const int at = text.toUpper().indexOf(QString::fromLatin1(webhost::kPageBridgeSentinel));
        if (at < 0)
            return true;
        const QString json = text.mid(
            at + static_cast<int>(std::char_traits<char>::length(webhost::kPageBridgeSentinel)));
        commands.push_back(Json::parse(json.toStdString(), nullptr, false));
        return false;
    }
};

class DemoWebPagesBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        DemoServiceOptions options;
        options.port = 0;
        service_ = std::make_unique<DemoService>(options);
        std::string error;
        ASSERT_TRUE(service_->start(error)) << error;
        page_ = std::make_unique<BridgePage>();
    }
    void TearDown() override {
        page_.reset();
        service_->stop();
    }

    QVariant Run(const QString& script) {
        QVariant result;
        bool done = false;
        page_->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(WaitUntil([&] { return done; })) << script.toStdString();
        return result;
    }
    Json WaitForCommand(std::size_t count) {
        EXPECT_TRUE(WaitUntil([&] { return page_->commands.size() >= count; }))
            << "no sentinel navigation number " << count;
        return page_->commands.size() >= count ? page_->commands[count - 1] : Json();
    }

    std::unique_ptr<DemoService> service_;
    std::unique_ptr<BridgePage> page_;
};

TEST_F(DemoWebPagesBrowserTest, PageTalksToTheClientThroughTheSentinel) {
    page_->load(QUrl(QString::fromStdString(service_->baseUrl() +
                                            "/Modules/CallPopup.aspx?EnterpriseID=10001"
                                            "&UserAccount=agent1&PWD=ABC&RANDOM=123")));
    const Json ready = WaitForCommand(1);
    EXPECT_EQ(ready["ActID"], 3);
    EXPECT_TRUE(ready["HandleID"].is_number_integer());
    EXPECT_TRUE(ready["sParam"].is_string());
    EXPECT_EQ(Run("typeof onKTAEvent").toString(), "function");

    // Page events exactly as the client formats them.
    Run(R"(onKTAEvent(2,11,'{"CALLTYPE":0,"TELENOTYPE":2,"CALLERID":"13800138000","INFO":"深圳"}');)");
    EXPECT_TRUE(Run("document.getElementById('btnPlay').disabled").toBool())
        << "play is offered only once a VOCID has arrived";
    Run("onKTAEvent(4,11,'');");
    Run(R"(onKTAEvent(5,11,'{"VOCID":"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"}');)");
    EXPECT_EQ(Run("document.querySelectorAll('#events tbody tr').length").toInt(), 3);
    EXPECT_TRUE(
        Run("document.getElementById('caller').textContent").toString().contains("13800138000"));

    Run("document.getElementById('btnPlay').click()");
    const Json play = WaitForCommand(2);
    EXPECT_EQ(play["ActID"], 2);
    EXPECT_EQ(play["HandleID"], 11);
    EXPECT_EQ(play["sParam"], "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");

    Run("document.getElementById('btnWorkEnd').click()");
    const Json finished = WaitForCommand(3);
    EXPECT_EQ(finished["ActID"], 1);
    EXPECT_EQ(finished["HandleID"], 11);
    EXPECT_EQ(finished["sParam"], "");
}

TEST_F(DemoWebPagesBrowserTest, CallListsShowTheStoredCallsAndPlayThroughTheSentinel) {
    auto& db = service_->database();
    CallLog answered;
    answered.agentId = 8001;
    answered.teleNumber = "13800138000";
    answered.talkType = 1;
    answered.startTime = "2024-03-15 09:30:12";
    answered.stopTime = "2024-03-15 09:31:40";
    answered.vocId = "{AAAA-1}";
    answered.userName = "张三";
    db.storeCallLog(answered);
    CallLog missed = answered;
    missed.talkType = 11;
    missed.vocId = "{AAAA-2}";
    missed.teleNumber = "01062345678";
    db.storeCallLog(missed);
    db.storeRecording({"{AAAA-1}", "8001", "x.mp3", "/nonexistent/x.mp3", 3, "", ""});

    const auto waitForRows = [&](int rows) {
        return WaitUntil([&] {
            return Run("document.querySelectorAll('#calls tbody tr').length").toInt() == rows;
        });
    };
    page_->load(QUrl(QString::fromStdString(
        service_->baseUrl() +
        R"(/Modules/Dvs/TalkList2.aspx?CompanyID=10001&AgentID=8001&jsonScope={"Scope":[{"Scope":"a_1"}]})")));
    ASSERT_TRUE(waitForRows(2));
    EXPECT_EQ(Run("document.querySelectorAll('#calls tbody button').length").toInt(), 1)
        << "only the call with a recording offers playing";
    Run("document.querySelector('#calls tbody button').click()");
    const Json play = WaitForCommand(1);
    EXPECT_EQ(play["ActID"], 2);
    EXPECT_EQ(play["sParam"], "{AAAA-1}");

    page_->load(QUrl(QString::fromStdString(
        service_->baseUrl() +
        "/Modules/Dvs/MissCall2.aspx?CompanyID=10001&AgentID=8001&jsonScope=x")));
    ASSERT_TRUE(waitForRows(1));
    EXPECT_TRUE(Run("document.querySelector('#calls tbody').textContent")
                    .toString()
                    .contains("01062345678"));
}

}  // namespace
}  // namespace demo::testing
