// The box's notifications as the client receives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QWidget>

#include "device/adapter/tests/PendrelDeviceFixture.h"
#include "device/interface/VdInterface.h"

namespace pendrel_test {
namespace {

constexpr int kNextRing = -1000;  // in a row: one more than the last ring seen

struct Row {
    const char* command;
    std::vector<Expected> raised;
};

QWidget* SetupDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "fmSetup") {
            return w;
        }
    }
    return nullptr;
}

using PendrelNotificationTest = PendrelDeviceTest;

TEST_F(PendrelNotificationTest, EveryVendorEventRaisesItsDeviceEvent) {
    OpenPlugged();
    const auto& first = EventRecorder::Events().front();
    EXPECT_EQ(first.event, VD_EVT_DEVICE_STATUS);
    EXPECT_EQ(first.param, VD_STATUS_PLUGGED);
    EXPECT_EQ(first.text, "USB 插入");
    EXPECT_EQ(first.channel, 3);

    // In order: each row starts from the line state the rows before it left.
    const Row rows[] = {
        {"event 11", {{VD_EVT_RING, kNextRing, ""}}},
        {"event 10", {}},  // ringing, then idle: no hang-up
        {"event 12", {{VD_EVT_OFF_HOOK, 0, ""}}},
        {"event 10", {{VD_EVT_ON_HOOK, 0, ""}}},
        {"event 10", {}},  // already idle
        {"event 13", {{VD_EVT_VENDOR_13, 0, ""}}},
        {"event 10", {{VD_EVT_HANGUP_STATE4, 0, ""}}},
        {"event 15", {{VD_EVT_IDLE, 0, ""}}},
        {"event 21 13800138000", {{VD_EVT_CALLER_ID, 0, "13800138000"}}},
        {"event 21", {}},                           // an empty caller number
        {"event 22 291", {{VD_EVT_DTMF, 0, "#"}}},  // 0x123: the low byte
        {"dtmf 7", {{VD_EVT_DTMF, 0, "7"}}},
        {"event 25", {{VD_EVT_VENDOR_25, 0, ""}}},
        {"event 28", {{VD_EVT_VENDOR_28, 0, ""}}},
        {"event 10", {}},  // line state 5
        {"event 30", {{VD_EVT_ON_HOOK, 0, ""}}},
        {"event 16 30", {}},  // a voltage sample outside a measurement
        {"event 99", {}},
        {"event 267", {{VD_EVT_RING, kNextRing, ""}}},  // 0x10B: the low byte is 11
        {"event 3", {{VD_EVT_DEVICE_STATUS, VD_STATUS_ALARM, "设备告警"}}},
        {"event 24", {{VD_EVT_DEVICE_STATUS, VD_STATUS_FAILURE, "设备故障"}}},
        {"event 2", {{VD_EVT_DEVICE_STATUS, VD_STATUS_UNPLUGGED, "USB 拔出"}}},
        {"event 10", {}},  // no box: no line state to hang up from
        {"event 1", {{VD_EVT_DEVICE_STATUS, VD_STATUS_PLUGGED, "USB 插入"}}},
    };
    int lastRing = -1;  // the counter runs since the library was loaded
    for (const Row& row : rows) {
        const std::vector<Expected> got = Step(row.command, row.raised.size());
        std::vector<Expected> want = row.raised;
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (want[i].param == kNextRing) {
                want[i].param = lastRing < 0 && i < got.size() ? got[i].param : lastRing + 1;
            }
        }
        EXPECT_EQ(got, want) << row.command;
        for (const auto& e : got) {
            if (e.event == VD_EVT_RING) {
                lastRing = e.param;
            }
        }
    }
}

TEST_F(PendrelNotificationTest, DeviceStatusTextsFollowTheLanguage) {
    OpenPlugged();
    struct LangRow {
        int lang;
        const char* alarm;
        const char* failure;
        const char* unplugged;
        const char* plugged;
    };
    const LangRow rows[] = {
        {VD_LANG_ENGLISH, "Device alarm", "Device failure", "USB Plugout", "USB Plugin"},
        {VD_LANG_TRADITIONAL_CHINESE, "設備告警", "設備故障", "USB 拔出", "USB 插入"},
        {VD_LANG_SIMPLIFIED_CHINESE, "设备告警", "设备故障", "USB 拔出", "USB 插入"},
    };
    for (const LangRow& r : rows) {
        VD_SetLang(r.lang);
        EXPECT_EQ(Step("event 3", 1), (std::vector<Expected>{{32, 4, r.alarm}})) << r.lang;
        EXPECT_EQ(Step("event 24", 1), (std::vector<Expected>{{32, 3, r.failure}})) << r.lang;
        EXPECT_EQ(Step("unplug", 1), (std::vector<Expected>{{32, 0, r.unplugged}})) << r.lang;
        EXPECT_EQ(Step("plug", 1), (std::vector<Expected>{{32, 1, r.plugged}})) << r.lang;
    }
}

TEST_F(PendrelNotificationTest, ANewOpenResetsTheLanguage) {
    OpenPlugged();
    VD_SetLang(VD_LANG_ENGLISH);
    EXPECT_EQ(Step("event 3", 1), (std::vector<Expected>{{32, 4, "Device alarm"}}));
    ASSERT_EQ(VD_DevClose(), 0);
    EventRecorder::Clear();
    OpenPlugged();
    EXPECT_EQ(EventRecorder::Events().front().text, "USB 插入");
    EXPECT_EQ(Step("event 3", 1), (std::vector<Expected>{{32, 4, "设备告警"}}));
}

TEST_F(PendrelNotificationTest, TwoCallsKeepCountingRings) {
    OpenPlugged();
    const std::vector<Expected> none;
    auto call = Step("ring", 1);
    call.push_back(Step("ring", 1).at(0));
    call.push_back(Step("ring", 1).at(0));
    ASSERT_EQ(call.size(), 3u);
    const int base = call[0].param;
    EXPECT_EQ(call[1].param, base + 1);
    EXPECT_EQ(call[2].param, base + 2);
    EXPECT_EQ(Step("cid 02112345678", 1), (std::vector<Expected>{{2, 0, "02112345678"}}));
    EXPECT_EQ(Step("offhook", 1), (std::vector<Expected>{{3, 0, ""}}));
    EXPECT_EQ(Step("dtmf #", 1), (std::vector<Expected>{{5, 0, "#"}}));
    EXPECT_EQ(Step("onhook", 1), (std::vector<Expected>{{4, 0, ""}}));
    // The second call carries on from the first: 4 and 5 when the first began at 1.
    EXPECT_EQ(Step("ring", 1), (std::vector<Expected>{{0, base + 3, ""}}));
    EXPECT_EQ(Step("ring", 1), (std::vector<Expected>{{0, base + 4, ""}}));
}

TEST_F(PendrelNotificationTest, UnpluggingDuringACallEndsTheLine) {
    OpenPlugged();
    Step("ring", 1);
    EXPECT_EQ(Step("offhook", 1), (std::vector<Expected>{{3, 0, ""}}));
    EXPECT_EQ(Step("unplug", 1), (std::vector<Expected>{{32, 0, "USB 拔出"}}));
    EXPECT_EQ(Step("event 10", 0), std::vector<Expected>{});  // a later hang-up
    EXPECT_EQ(Step("plug", 1), (std::vector<Expected>{{32, 1, "USB 插入"}}));
    // The new plug-in report brought a new handle; requests go to it.
    const std::string mp3 = folder_.file("after-replug.mp3");
    EXPECT_EQ(VD_RecordFile(1, mp3.c_str()), 0);
    VD_StopRecord(1);
}

TEST_F(PendrelNotificationTest, NothingReachesTheClientAfterClose) {
    OpenPlugged();
    const std::size_t before = EventRecorder::Events().size();
    // Each answer comes after the box has handed its notification over, so
    // these wait in the queue of the thread that opened the device.
    Box("ring");
    Box("cid 13900139000");
    Box("ring");
    Box("event 3");
    ASSERT_EQ(VD_DevClose(), 0);
    RunFor(std::chrono::milliseconds(300));
    EXPECT_EQ(EventRecorder::Events().size(), before);
}

TEST_F(PendrelNotificationTest, CallerNumbersGoToTheDeviceLogWhenItIsSwitchedOn) {
    OpenPlugged();
    QWidget* dialog = SetupDialog();
    ASSERT_NE(dialog, nullptr);
    auto* log = dialog->findChild<QPlainTextEdit*>("moLog");
    auto* cbLog = dialog->findChild<QCheckBox*>("cbLog");
    ASSERT_TRUE(log != nullptr && cbLog != nullptr);

    Step("cid 111", 1);
    EXPECT_EQ(log->toPlainText(), "");
    cbLog->setChecked(true);
    EXPECT_EQ(Step("cid 222", 1), (std::vector<Expected>{{2, 0, "222"}}));
    EXPECT_EQ(Step("event 21", 0), std::vector<Expected>{});  // empty: nothing raised or logged
    EXPECT_EQ(log->toPlainText(), "CallerID:222");
}

// A client that closes the device from inside its callback.
void CloseOnRing(int channel, int event, int param, const char* text) {
    EventRecorder::Callback(channel, event, param, text);
    if (event == VD_EVT_RING) {
        EXPECT_EQ(VD_DevClose(), 0);
    }
}

TEST_F(PendrelNotificationTest, ClosingFromInsideTheCallbackIsSafe) {
    ASSERT_EQ(VD_DevOpen(&CloseOnRing), 0);
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_DEVICE_STATUS));
    Box("ring");
    Box("cid 5551234");  // queued behind the ring: never delivered
    ASSERT_TRUE(EventRecorder::WaitForEvent(VD_EVT_RING));
    RunFor(std::chrono::milliseconds(200));
    EXPECT_EQ(EventRecorder::Events().size(), 2u);
    EXPECT_EQ(SetupDialog(), nullptr);
    EXPECT_EQ(VD_DevClose(), -1);
}

TEST_F(PendrelNotificationTest, DeliveryWorksWithoutACallback) {
    ASSERT_EQ(VD_DevOpen(nullptr), 0);
    ASSERT_TRUE(RunUntil([&] { return BoxStatus("plugged") == "1"; }));
    Box("ring");
    Box("cid 123");
    RunFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(EventRecorder::Events().empty());
}

}  // namespace
}  // namespace pendrel_test
