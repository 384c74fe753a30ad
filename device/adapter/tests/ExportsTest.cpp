// The exports of libPendrel.so: records, pass-through requests, settings,
// calls in the wrong order, and the exported symbols themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "device/adapter/tests/PendrelDeviceFixture.h"
#include "device/caubox/CAUBox.h"
#include "device/interface/VdInterface.h"

namespace pendrel_test {
namespace {

QWidget* SetupDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "fmSetup") {
            return w;
        }
    }
    return nullptr;
}

int CountSetupDialogs() {
    const auto all = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(all.begin(), all.end(),
                                          [](QWidget* w) { return w->objectName() == "fmSetup"; }));
}

std::array<unsigned char, 32> RawDevInfo() {
    VD_DevInfo info;
    std::memset(&info, 0xEE, sizeof info);
    EXPECT_EQ(VD_GetDevInfo(&info), 0);
    std::array<unsigned char, 32> raw{};
    std::memcpy(raw.data(), &info, raw.size());
    return raw;
}

unsigned Word(const std::array<unsigned char, 32>& raw, int offset) {
    return raw[offset] | (raw[offset + 1] << 8);
}

std::uint32_t Slot(const std::array<unsigned char, 32>& raw, int offset) {
    return Word(raw, offset) | (static_cast<std::uint32_t>(Word(raw, offset + 2)) << 16);
}

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
            out.append(buf, n);
        }
        ::pclose(p);
    }
    return out;
}

using PendrelExportsTest = PendrelDeviceTest;

TEST_F(PendrelExportsTest, DevInfoRecordAfterASuccessfulOpen) {
    OpenPlugged();
    const auto raw = RawDevInfo();
    EXPECT_EQ(Word(raw, 0), 0x0100u);
    EXPECT_STREQ(VD_DevInfoText(Slot(raw, 2)), "Dravik USB Device");
    EXPECT_EQ(Word(raw, 8), 1u);  // channels
    EXPECT_EQ(Word(raw, 10), 0u);
    EXPECT_EQ(Word(raw, 14), 1u);  // opened
    EXPECT_EQ(Word(raw, 18), 1u);
    EXPECT_STREQ(VD_DevInfoText(Slot(raw, 20)), "ADPCM 8 bit");
    EXPECT_STREQ(VD_DevInfoText(Slot(raw, 24)), "CVA");
    for (int never : {6, 12, 16, 28, 30}) {
        EXPECT_EQ(Word(raw, never), 0u) << "offset " << never;
    }
}

TEST_F(PendrelExportsTest, ARefusedOpenReportsNoChannelButTheName) {
    // A plain file where the box's control socket belongs: the box cannot open.
    WriteFile(folder_.controlSocket(), "not a socket");
    testing::internal::CaptureStderr();
    const int16_t status = VD_DevOpen(&EventRecorder::Callback);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 9);  // the magnitude of the box's error code
    EXPECT_NE(said.find("设备驱动:OPEN失败"), std::string::npos) << said;
    const auto raw = RawDevInfo();
    EXPECT_EQ(Word(raw, 8), 0u);
    EXPECT_EQ(Word(raw, 14), 0u);
    EXPECT_STREQ(VD_DevInfoText(Slot(raw, 2)), "Dravik USB Device");
    int32_t channel = 77;
    EXPECT_EQ(VD_GetChannel(0, &channel), 1);
    EXPECT_EQ(channel, 0);
    EXPECT_EQ(CountSetupDialogs(), 0);
    EXPECT_NE(VD_RecordFile(1, folder_.file("x.mp3").c_str()), 0);
}

TEST_F(PendrelExportsTest, ChannelIdentifier) {
    int32_t channel = 77;
    EXPECT_EQ(VD_GetChannel(0, &channel), 1);
    EXPECT_EQ(channel, 0);  // not opened yet
    OpenPlugged();
    EXPECT_EQ(VD_GetChannel(0, &channel), 1);
    EXPECT_EQ(channel, 3);
    channel = 77;
    EXPECT_EQ(VD_GetChannel(1, &channel), -1);
    EXPECT_EQ(channel, 77);
    EXPECT_EQ(VD_GetChannel(-1, &channel), -1);
    EXPECT_EQ(VD_GetChannel(0, nullptr), -1);
}

TEST_F(PendrelExportsTest, PlayVolumeTriple) {
    int32_t a = 1, b = 1, c = 1;
    EXPECT_EQ(VD_GetPlayVol(&a, &b, &c), 0);
    EXPECT_EQ(a, 6);
    EXPECT_EQ(b, -12);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(VD_GetPlayVol(&a, nullptr, &c), -1);
}

TEST_F(PendrelExportsTest, DtmfIsSentOnlyOffHook) {
    OpenPlugged();
    EXPECT_EQ(VD_SendDTMF(1, '5'), -1);  // on-hook
    Step("ring", 1);
    EXPECT_EQ(VD_SendDTMF(1, '5'), -1);  // ringing
    Step("offhook", 1);
    EXPECT_EQ(VD_SendDTMF(1, '5'), 0);  // the box's result
    EXPECT_EQ(VD_SendDTMF(1, '#'), 0);
    EXPECT_EQ(BoxStatus("dtmf_sent"), "\"5#\"");
    Step("onhook", 1);
    EXPECT_EQ(VD_SendDTMF(1, '1'), -1);
}

TEST_F(PendrelExportsTest, RecordingNeedsTheFirstPlugInReport) {
    ::setenv("CAUBOX_START_UNPLUGGED", "1", 1);
    ASSERT_EQ(VD_DevOpen(&EventRecorder::Callback), 0);
    ::unsetenv("CAUBOX_START_UNPLUGGED");
    const std::string mp3 = folder_.file("call.mp3");
    EXPECT_NE(VD_RecordFile(1, mp3.c_str()), 0);
    VD_StopRecord(1);
    EXPECT_EQ(BoxStatus("plugged"), "0");

    EXPECT_EQ(Step("plug", 1), (std::vector<Expected>{{32, 1, "USB 插入"}}));
    EXPECT_EQ(VD_RecordFile(1, mp3.c_str()), 0);
    EXPECT_EQ(BoxStatus("recording"), "\"" + mp3 + "\"");
    VD_StopRecord(1);
    EXPECT_EQ(BoxStatus("recording"), "\"\"");
    EXPECT_TRUE(std::filesystem::exists(mp3));
    // Later unplug reports do not end the active state: requests still reach the box.
    Step("unplug", 1);
    EXPECT_EQ(VD_RecordFile(1, mp3.c_str()), UBOX_ERR_NOT_PLUGGED);  // the box's own answer
    VD_SetPlayVol(1, 3);
}

TEST_F(PendrelExportsTest, PassThroughRequestsReachTheBox) {
    OpenPlugged();
    VD_SetPlayVol(1, 4);
    EXPECT_EQ(BoxStatus("volume"), "4");
    const std::string missing = folder_.file("missing.wav");
    const int32_t r = VD_PlayFile(1, missing.c_str());
    EXPECT_LT(r, 0);
    VD_StopPlay(1);
    QWidget* dialog = SetupDialog();
    ASSERT_NE(dialog, nullptr);
    // Whatever the log switch says; the result's low 16 bits, unsigned.
    EXPECT_EQ(dialog->findChild<QPlainTextEdit*>("moLog")->toPlainText().toStdString(),
              "Play " + missing + " -> " + std::to_string(r & 0xFFFF));
}

TEST_F(PendrelExportsTest, SettingsReachTheBoxAtPlugIn) {
    struct Case {
        const char* dvs;  // nullptr: no file
        const char* agc;
        const char* volume;
    };
    const Case cases[] = {
        {nullptr, "on", "0"},
        {"[DVS]\nAGC=0\nSysPlayVol=7\n", "off", "7"},
        {"[dvs]\nagc=1\nsysplayvol=2\n", "on", "2"},
        {"[DVS]\nAGC=x\nSysPlayVol=loud\n", "on", "0"},  // unreadable: defaults
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder_.dvsFile());
        if (c.dvs != nullptr) {
            std::filesystem::create_directories(folder_.configHome() + "/Velnorix/Lumor");
            WriteFile(folder_.dvsFile(), c.dvs);
        }
        EventRecorder::Clear();
        OpenPlugged();
        EXPECT_EQ(BoxStatus("agc"), c.agc) << (c.dvs ? c.dvs : "no file");
        EXPECT_EQ(BoxStatus("volume"), c.volume) << (c.dvs ? c.dvs : "no file");
        auto* cbAGC = SetupDialog()->findChild<QCheckBox*>("cbAGC");
        EXPECT_EQ(cbAGC->isChecked(), std::string(c.agc) == "on");
        ASSERT_EQ(VD_DevClose(), 0);
    }
}

TEST_F(PendrelExportsTest, CallsInTheWrongOrderFailCleanly) {
    testing::internal::CaptureStderr();
    const std::string mp3 = folder_.file("early.mp3");
    EXPECT_NE(VD_RecordFile(1, mp3.c_str()), 0);  // before open
    VD_StopRecord(1);
    VD_StopPlay(1);
    VD_SetPlayVol(1, 2);
    EXPECT_NE(VD_PlayFile(1, "x.wav"), 0);
    EXPECT_EQ(VD_SendDTMF(1, '1'), -1);
    VD_Show(0);
    VD_SetLang(2);
    EXPECT_EQ(VD_DevClose(), -1);  // never opened
    EXPECT_EQ(VD_GetDevInfo(nullptr), -1);

    OpenPlugged();
    VD_SetLang(0);  // unknown languages are ignored
    VD_SetLang(9);
    EXPECT_EQ(Step("event 3", 1), (std::vector<Expected>{{32, 4, "设备告警"}}));
    EXPECT_EQ(VD_RecordFile(1, nullptr), static_cast<int16_t>(-3));
    ASSERT_EQ(VD_DevOpen(&EventRecorder::Callback), 0);  // a second open starts afresh
    EXPECT_EQ(CountSetupDialogs(), 1);
    EXPECT_EQ(VD_DevClose(), 0);
    EXPECT_EQ(VD_DevClose(), -1);  // twice
    VD_Show(0);                    // after close
    EXPECT_EQ(CountSetupDialogs(), 0);
    EXPECT_NE(VD_RecordFile(1, mp3.c_str()), 0);  // after close
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("VD_DevClose: the device is not open"), std::string::npos) << said;
    EXPECT_NE(said.find("VD_Show: no setup dialog"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(mp3));
}

TEST_F(PendrelExportsTest, ShowDisplaysTheSetupDialogWithoutBlocking) {
    OpenPlugged();
    QWidget* dialog = SetupDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());  // created hidden
    VD_Show(0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle().toStdString(), "QX USB虚设备(Velnorix电讯)");
    EXPECT_FALSE(dialog->findChild<QPushButton*>("btnSave")->isVisible());
    VD_SetLang(VD_LANG_ENGLISH);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Virtual Device of Mini-USB");
    dialog->close();  // closing only hides it
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(SetupDialog(), dialog);
}

TEST_F(PendrelExportsTest, MeasurementWithTheBoxSuggestsAThreshold) {
    OpenPlugged();
    Box("offhook");
    VD_Show(0);
    QWidget* dialog = SetupDialog();
    ASSERT_NE(dialog, nullptr);
    // Answers the two confirmation boxes with OK; before the second, the
    // telephone goes back on the hook.
    int answered = 0;
    QTimer answerer;
    answerer.setInterval(20);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (answered == 1) {
            box_.send("onhook");
        }
        ++answered;
        box->button(QMessageBox::Ok)->click();
    });
    answerer.start();
    dialog->findChild<QPushButton*>("btnTest")->click();  // returns when the measurement is done
    answerer.stop();
    EXPECT_EQ(answered, 2);
    const int offHook = dialog->findChild<QLineEdit*>("eVOffhook")->text().toInt();
    const int onHook = dialog->findChild<QLineEdit*>("eVOnHook")->text().toInt();
    const int suggested = dialog->findChild<QLineEdit*>("eVolNew")->text().toInt();
    EXPECT_NEAR(offHook, 8, 2);  // the virtual box's off-hook line voltage
    EXPECT_NEAR(onHook, 48, 2);
    EXPECT_NEAR(suggested, (offHook + onHook) / 2, 1);
    EXPECT_EQ(BoxStatus("voltage_reading"), "0");
    auto* save = dialog->findChild<QPushButton*>("btnSave");
    ASSERT_TRUE(save->isVisible());
    save->click();
    EXPECT_NE(ReadFile(folder_.file("phonic_ubox.ini"))
                  .find("hook_off_voltage=" + std::to_string(suggested)),
              std::string::npos);
}

TEST_F(PendrelExportsTest, ClosingDuringAMeasurementEndsIt) {
    OpenPlugged();
    VD_Show(0);
    QWidget* dialog = SetupDialog();
    ASSERT_NE(dialog, nullptr);
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->button(QMessageBox::Ok)->click();
        } else {
            VD_DevClose();  // while the measurement waits for samples
        }
    });
    closer.start();
    dialog->findChild<QPushButton*>("btnTest")->click();
    closer.stop();
    RunFor(std::chrono::milliseconds(50));
    EXPECT_EQ(CountSetupDialogs(), 0);
}

TEST(PendrelLibraryFile, ExportsOnlyTheDeviceInterface) {
    const std::string lib = PENDREL_LIBRARY_PATH;
    ASSERT_TRUE(std::filesystem::exists(lib)) << lib;
    std::set<std::string> exported;
    const std::string nm = RunCommand("nm -D --defined-only '" + lib + "'");
    std::size_t start = 0;
    while (start < nm.size()) {
        std::size_t end = nm.find('\n', start);
        if (end == std::string::npos) {
            end = nm.size();
        }
        const std::string line = nm.substr(start, end - start);
        const std::size_t lastSpace = line.rfind(' ');
        if (lastSpace != std::string::npos) {
            exported.insert(line.substr(lastSpace + 1));
        }
        start = end + 1;
    }
    const std::set<std::string> wanted = {
        "VD_DevOpen",    "VD_DevClose",   "VD_SetLang",    "VD_Show",       "VD_GetChannel",
        "VD_GetDevInfo", "VD_SendDTMF",   "VD_RecordFile", "VD_StopRecord", "VD_PlayFile",
        "VD_StopPlay",   "VD_SetPlayVol", "VD_GetPlayVol"};
    EXPECT_EQ(exported, wanted);
    const std::string dynamic = RunCommand("readelf -d '" + lib + "'");
    EXPECT_NE(dynamic.find("[libCAUBox.so]"), std::string::npos) << dynamic;
    EXPECT_NE(dynamic.find("[$ORIGIN]"), std::string::npos) << dynamic;
}

}  // namespace
}  // namespace pendrel_test
