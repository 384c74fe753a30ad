// Hosts without a widget application: none at all, or only a core application.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <thread>

#include "device/adapter/tests/BoxControl.h"
#include "device/adapter/tests/PendrelTestSupport.h"
#include "device/interface/VdInterface.h"

namespace pendrel_test {
namespace {

// Runs first: the core application of the next test lives on to the end.
TEST(PendrelHostless, OpenFailsCleanlyWithoutAnApplicationObject) {
    if (QCoreApplication::instance() != nullptr) {
        GTEST_SKIP() << "an application object already exists in this process";
    }
    TestFolder folder;
    testing::internal::CaptureStderr();
    EXPECT_NE(VD_DevOpen(&EventRecorder::Callback), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("OpenDev:"), std::string::npos) << said;
    VD_DevInfo info{};
    EXPECT_EQ(VD_GetDevInfo(&info), 0);
    EXPECT_EQ(info.channels, 0);
    EXPECT_FALSE(std::filesystem::exists(folder.controlSocket()));  // the box was never opened
    EXPECT_EQ(VD_DevClose(), -1);
}

TEST(PendrelHostless, ACoreApplicationGetsEventsWithoutADialog) {
    static int argc = 1;
    static char name[] = "pendrel-hostless";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
    TestFolder folder;
    BoxControl box(folder.controlSocket());
    EventRecorder::Clear();
    ASSERT_EQ(VD_DevOpen(&EventRecorder::Callback), 0);
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_DEVICE_STATUS));
    ASSERT_TRUE(box.send("ring").starts_with("OK"));
    ASSERT_TRUE(box.send("cid 8001").starts_with("OK"));
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_CALLER_ID));
    const auto& events = EventRecorder::Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].event, VD_EVT_RING);
    EXPECT_EQ(events[2].text, "8001");
    for (const auto& e : events) {
        EXPECT_EQ(e.thread, std::this_thread::get_id());
    }
    testing::internal::CaptureStderr();
    VD_Show(0);
    VD_SetLang(VD_LANG_ENGLISH);
    const int32_t played = VD_PlayFile(1, folder.file("none.wav").c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("VD_Show: no setup dialog"), std::string::npos) << said;
    EXPECT_LT(played, 0);
    ASSERT_TRUE(box.send("alarm").starts_with("OK"));
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_DEVICE_STATUS, 3));
    EXPECT_EQ(events.back().text, "Device alarm");
    EXPECT_EQ(VD_DevClose(), 0);
}

}  // namespace
}  // namespace pendrel_test
