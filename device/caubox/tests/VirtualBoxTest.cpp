// The virtual box driven in process: its thread, its control commands and
// the notifications they raise, and the exports called in the wrong order.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "device/caubox/CAUBox.h"
#include "device/caubox/tests/BoxTestSupport.h"

namespace caubox::test {
namespace {

using namespace std::chrono_literals;

NotificationLog& Log() {
    return NotificationLog::Instance();
}

TEST(CauBoxLifecycle, ReportsPlugInFromItsOwnThreadAndStopsAtClose) {
    std::size_t afterClose = 0;
    {
        OpenBox box;
        ASSERT_EQ(box.openResult(), UBOX_OK);
        EXPECT_GT(box.handle(), 0);
        ASSERT_EQ(box.Command("ring"), "OK");
        ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_RING));
        const auto seen = Log().Snapshot();
        for (const Notification& n : seen) {
            EXPECT_NE(n.thread, std::this_thread::get_id());
            EXPECT_EQ(n.thread, seen.front().thread) << "every notification from one thread";
        }
    }
    afterClose = Log().Size();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Log().Size(), afterClose) << "nothing arrives after ubox_close";
}

TEST(CauBoxLifecycle, StartsUnpluggedWhenAskedAndPlugsOnCommand) {
    OpenBox box(/*startUnplugged=*/true);
    ASSERT_EQ(box.openResult(), UBOX_OK);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Log().Size(), 0u);
    EXPECT_EQ(box.Command("ring"), "ERR the box is unplugged");
    EXPECT_EQ(ubox_record_file(1, "/tmp/never.mp3", UBOX_FORMAT_MP3), UBOX_ERR_NOT_PLUGGED);
    EXPECT_EQ(box.Command("plug"), "OK");
    Notification plugged;
    ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_PLUG_IN, 0, 2s, &plugged));
    EXPECT_EQ(box.Command("plug"), "ERR the box is already plugged in");
}

TEST(CauBoxLifecycle, ReplugGivesANewHandleAndRefusesTheOldOne) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const int32_t first = box.handle();
    EXPECT_EQ(box.Command("unplug"), "OK");
    EXPECT_EQ(box.Command("plug"), "OK");
    Notification replugged;
    ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_PLUG_IN, 1, 2s, &replugged));
    EXPECT_NE(replugged.handle, first);
    float version = 0;
    EXPECT_EQ(ubox_get_device_versionnum(first, &version), UBOX_ERR_INVALID_HANDLE);
    EXPECT_EQ(ubox_get_device_versionnum(replugged.handle, &version), UBOX_OK);
    EXPECT_GT(version, 0.0f);
}

struct CommandCase {
    const char* command;
    int32_t event;
    intptr_t param;
    const char* text;  // caller number, for UBOX_EVENT_CALLER_ID
};

TEST(CauBoxControl, EachCommandRaisesItsNotification) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const CommandCase cases[] = {
        {"ring", UBOX_EVENT_RING, 0, nullptr},
        {"cid 13800138000", UBOX_EVENT_CALLER_ID, 0, "13800138000"},
        {"RING", UBOX_EVENT_RING, 0, nullptr},
        {"offhook", UBOX_EVENT_OFF_HOOK, 0, nullptr},
        {"dtmf 0", UBOX_EVENT_DTMF, 0x100 | '0', nullptr},
        {"dtmf 9", UBOX_EVENT_DTMF, 0x100 | '9', nullptr},
        {"dtmf *", UBOX_EVENT_DTMF, 0x100 | '*', nullptr},
        {"dtmf #", UBOX_EVENT_DTMF, 0x123, nullptr},
        {"  onhook \r", UBOX_EVENT_HANG_UP, 0, nullptr},
        {"alarm", UBOX_EVENT_ALARM, 0, nullptr},
        {"failure", UBOX_EVENT_FAILURE, 0, nullptr},
        {"voltage 37", UBOX_EVENT_LINE_VOLTAGE, 37, nullptr},
        {"event 25", UBOX_EVENT_VENDOR_25, 0, nullptr},
        {"event 13 0x7f", UBOX_EVENT_VENDOR_13, 0x7F, nullptr},
        {"event 30 -5", UBOX_EVENT_VENDOR_30, -5, nullptr},
        {"event 21 021-5550123", UBOX_EVENT_CALLER_ID, 0, "021-5550123"},
        {"event 21", UBOX_EVENT_CALLER_ID, 0, ""},
        {"unplug", UBOX_EVENT_PLUG_OUT, 0, nullptr},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.command);
        const std::size_t before = Log().Size();
        ASSERT_EQ(box.Command(c.command), "OK");
        Notification n;
        ASSERT_TRUE(Log().WaitFor(c.event, before, 2s, &n));
        EXPECT_EQ(Log().Size(), before + 1) << "exactly one notification";
        EXPECT_EQ(n.handle, box.handle());
        if (c.text != nullptr) {
            EXPECT_EQ(n.text, c.text);
        } else {
            EXPECT_EQ(n.param, c.param);
        }
    }
}

TEST(CauBoxControl, DtmfDigitIsTheLowByteOfTheParameter) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    for (char digit : std::string("0123456789*#ABCD")) {
        const std::size_t before = Log().Size();
        ASSERT_EQ(box.Command(std::string("dtmf ") + digit), "OK");
        Notification n;
        ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_DTMF, before, 2s, &n));
        EXPECT_EQ(static_cast<char>(n.param & 0xFF), digit);
    }
}

struct RefusedCase {
    const char* command;
    const char* answerStart;
};

TEST(CauBoxControl, BadCommandsAreRefusedWithAReasonAndRaiseNothing) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("refused");
    const std::string textFile = folder + "/notes.wav";
    std::ofstream(textFile) << "this is not a WAV file\n";
    const RefusedCase cases[] = {
        {"", "ERR empty command"},
        {"   ", "ERR empty command"},
        {"dance", "ERR unknown command 'dance'"},
        {"ring twice", "ERR usage: ring"},
        {"onhook", "ERR the telephone is already on-hook"},
        {"cid", "ERR usage: cid NUMBER"},
        {"cid 123 456", "ERR usage: cid NUMBER"},
        {"cid 1234567890123456789012345678901234", "ERR usage: cid NUMBER"},
        {"cid 12;rm", "ERR usage: cid NUMBER"},
        {"dtmf", "ERR usage: dtmf DIGIT"},
        {"dtmf 12", "ERR usage: dtmf DIGIT"},
        {"dtmf x", "ERR usage: dtmf DIGIT"},
        {"voltage", "ERR usage: voltage N"},
        {"voltage 256", "ERR usage: voltage N"},
        {"voltage -1", "ERR usage: voltage N"},
        {"voltage 1e3", "ERR usage: voltage N"},
        {"event", "ERR usage: event CODE"},
        {"event ring", "ERR usage: event CODE"},
        {"event 99999999999", "ERR usage: event CODE"},
        {"event 25 lots", "ERR usage: event CODE [PARAM]"},
        {"status now", "ERR usage: status"},
        {"audio /no/such/file.wav", "ERR cannot open '/no/such/file.wav'"},
        {"audio /tmp", "ERR "},
        {"audio 中文.wav", "ERR cannot open"},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.command);
        const std::size_t before = Log().Size();
        const std::string answer = box.Command(c.command);
        EXPECT_TRUE(answer.starts_with(c.answerStart)) << answer;
        EXPECT_EQ(Log().Size(), before);
    }
    const std::string notWav = box.Command("audio " + textFile);
    EXPECT_TRUE(notWav.starts_with("ERR ")) << notWav;
    EXPECT_NE(notWav.find("not a WAV file"), std::string::npos) << notWav;

    // The line's state rules what may happen next.
    EXPECT_EQ(box.Command("offhook"), "OK");
    EXPECT_EQ(box.Command("offhook"), "ERR the telephone is already off-hook");
    EXPECT_EQ(box.Command("ring"), "ERR the telephone is off-hook");
    EXPECT_EQ(box.Command("unplug"), "OK");
    for (const char* command : {"ring", "cid 1", "offhook", "onhook", "dtmf 1", "alarm", "failure",
                                "voltage 3", "unplug"}) {
        EXPECT_EQ(box.Command(command), "ERR the box is unplugged") << command;
    }
    EXPECT_TRUE(box.Command("status").starts_with("OK plugged=0"));
}

TEST(CauBoxControl, StatusShowsPlugHookAudioAndRecording) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("status");
    const std::string wav = folder + "/line tone.wav";
    WriteToneWav(wav, 8000, 1, 0.5, 440, 0.3);
    EXPECT_EQ(box.Command("status"),
              "OK plugged=1 handle=" + std::to_string(box.handle()) +
                  " hook=on voltage_reading=0 agc=on volume=0 dtmf_sent=\"\" audio=\"\" "
                  "playing=\"\" recording=\"\"");
    EXPECT_EQ(box.Command("audio " + wav), "OK 500 ms of sound, looped");
    EXPECT_EQ(box.Command("offhook"), "OK");
    const std::string mp3 = folder + "/call.mp3";
    ASSERT_EQ(ubox_record_file(box.handle(), mp3.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
    EXPECT_EQ(ubox_send_dtmf(box.handle(), '5'), UBOX_OK);
    EXPECT_EQ(ubox_close_agc(box.handle(), 1), UBOX_OK);
    EXPECT_EQ(ubox_set_Speakervolume(box.handle(), 7), UBOX_OK);
    EXPECT_EQ(box.Command("status"),
              "OK plugged=1 handle=" + std::to_string(box.handle()) +
                  " hook=off voltage_reading=0 agc=off volume=7 dtmf_sent=\"5\" audio=\"" + wav +
                  "\" playing=\"\" recording=\"" + mp3 + "\"");
    EXPECT_EQ(ubox_stop_record(box.handle()), UBOX_OK);
    EXPECT_EQ(box.Command("audio"), "OK quiet line");
    EXPECT_NE(box.Command("status").find("audio=\"\""), std::string::npos);
}

TEST(CauBoxVoltage, SamplesFollowTheHookStateWhileReading) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    ASSERT_EQ(ubox_start_read_line_voltage(box.handle()), UBOX_OK);
    ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_LINE_VOLTAGE, 0, 2s));
    std::this_thread::sleep_for(500ms);
    const std::size_t onHookEnd = Log().Size();
    ASSERT_EQ(box.Command("offhook"), "OK");
    const std::size_t offHookStart = Log().Size();
    std::this_thread::sleep_for(600ms);
    ASSERT_EQ(ubox_stop_read_line_voltage(box.handle()), UBOX_OK);
    const std::size_t stopped = Log().Size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Log().Size(), stopped) << "no samples after the reading stopped";

    const auto seen = Log().Snapshot();
    int onHook = 0;
    int offHook = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i].event != UBOX_EVENT_LINE_VOLTAGE) {
            continue;
        }
        if (i < onHookEnd) {
            ++onHook;
            EXPECT_NEAR(seen[i].param, 48, 3);
        } else if (i >= offHookStart) {
            ++offHook;
            EXPECT_NEAR(seen[i].param, 8, 3);
        }
        EXPECT_NE(seen[i].param, UBOX_VOLTAGE_NONE);
    }
    EXPECT_GE(onHook, 3);
    EXPECT_GE(offHook, 3);
}

TEST(CauBoxExports, WrongOrderAndBadArgumentsGiveFailureCodes) {
    // Before any open.
    EXPECT_EQ(ubox_close(), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_record_file(1, "/tmp/x.mp3", UBOX_FORMAT_MP3), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_stop_record(1), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_start_read_line_voltage(1), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_open(nullptr, 0), UBOX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ubox_open(&NotificationLog::Callback, 5), UBOX_ERR_INVALID_ARGUMENT);
    {
        OpenBox box;
        ASSERT_EQ(box.openResult(), UBOX_OK);
        const int32_t h = box.handle();
        EXPECT_EQ(ubox_open(&NotificationLog::Callback, 0), UBOX_ERR_ALREADY_OPEN);
        float version = 0;
        char number[8] = "xxxxxxx";
        struct Case {
            const char* what;
            int32_t result;
            int32_t expected;
        };
        const Case cases[] = {
            {"agc to handle -1", ubox_close_agc(-1, 0), UBOX_ERR_INVALID_HANDLE},
            {"volume to handle -1", ubox_set_Speakervolume(-1, 0), UBOX_ERR_INVALID_HANDLE},
            {"agc value 2", ubox_close_agc(h, 2), UBOX_ERR_INVALID_ARGUMENT},
            {"record null path", ubox_record_file(h, nullptr, UBOX_FORMAT_MP3),
             UBOX_ERR_INVALID_ARGUMENT},
            {"record empty path", ubox_record_file(h, "", UBOX_FORMAT_MP3),
             UBOX_ERR_INVALID_ARGUMENT},
            {"record as WAV", ubox_record_file(h, "/tmp/x.wav", 1), UBOX_ERR_UNSUPPORTED_FORMAT},
            {"stop without recording", ubox_stop_record(h), UBOX_ERR_NOT_RECORDING},
            {"play null", ubox_play_file(h, nullptr), UBOX_ERR_INVALID_ARGUMENT},
            {"play missing", ubox_play_file(h, "/no/such.wav"), UBOX_ERR_FILE},
            {"play non-WAV", ubox_play_file(h, "/proc/self/status"), UBOX_ERR_BAD_AUDIO},
            {"dtmf on-hook", ubox_send_dtmf(h, '1'), UBOX_ERR_ON_HOOK},
            {"dtmf not a digit", ubox_send_dtmf(h, 'x'), UBOX_ERR_INVALID_ARGUMENT},
            {"version into null", ubox_get_device_versionnum(h, nullptr),
             UBOX_ERR_INVALID_ARGUMENT},
            {"version", ubox_get_device_versionnum(h, &version), UBOX_OK},
            {"usernum size 0", ubox_get_usernum(h, number, 0), UBOX_ERR_INVALID_ARGUMENT},
            {"usernum null", ubox_get_usernum(h, nullptr, 8), UBOX_ERR_INVALID_ARGUMENT},
            {"usernum", ubox_get_usernum(h, number, 8), UBOX_OK},
            {"stop playing nothing", ubox_stop_play(h), UBOX_OK},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(c.result, c.expected) << c.what;
        }
        EXPECT_EQ(std::strlen(number), 7u);
        char tiny[3] = "zz";
        EXPECT_EQ(ubox_get_usernum(h, tiny, 3), UBOX_OK);
        EXPECT_EQ(std::string(tiny), "CA");
    }
    // After close, and closing twice.
    EXPECT_EQ(ubox_close(), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_stop_record(1), UBOX_ERR_NOT_OPEN);
    EXPECT_EQ(ubox_send_dtmf(1, '1'), UBOX_ERR_NOT_OPEN);
}

TEST(CauBoxExports, CallbackMayCallExportsButNotClose) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    std::mutex mutex;
    int32_t closeResult = 1;
    int32_t versionResult = 1;
    float version = 0;
    Log().SetHook([&](const Notification& n) {
        if (n.event == UBOX_EVENT_ALARM) {
            std::lock_guard lock(mutex);
            closeResult = ubox_close();
            versionResult = ubox_get_device_versionnum(n.handle, &version);
        }
    });
    ASSERT_EQ(box.Command("alarm"), "OK");
    ASSERT_TRUE(Log().WaitFor(UBOX_EVENT_ALARM));
    std::lock_guard lock(mutex);
    EXPECT_EQ(closeResult, UBOX_ERR_WRONG_THREAD);
    EXPECT_EQ(versionResult, UBOX_OK);
    EXPECT_GT(version, 0.0f);
}

TEST(CauBoxExports, CallsFromManyThreadsWhileTheLineIsBusy) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("threads");
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                const std::string path = folder + "/t" + std::to_string(t) + ".mp3";
                if (ubox_record_file(box.handle(), path.c_str(), UBOX_FORMAT_MP3) != UBOX_OK) {
                    ++failures;
                }
                float v;
                if (ubox_get_device_versionnum(box.handle(), &v) != UBOX_OK) {
                    ++failures;
                }
                box.Command(i % 2 ? "ring" : "voltage 20");
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    ubox_stop_record(box.handle());
}

// ---- the control socket file ----

int BindSocketAt(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST(CauBoxSocket, StaleSocketIsReplacedLiveOneAndOtherFilesAreLeftAlone) {
    const std::string stale = UniqueSocketPath("stale");
    ::close(BindSocketAt(stale));  // bound, never listened: what a dead box leaves
    ::setenv("CAUBOX_CONTROL", stale.c_str(), 1);
    ASSERT_EQ(ubox_open(&NotificationLog::Callback, 0), UBOX_OK);
    ASSERT_EQ(ubox_close(), UBOX_OK);
    EXPECT_FALSE(std::filesystem::exists(stale)) << "the box removes its socket at close";

    const std::string live = UniqueSocketPath("live");
    const int other = BindSocketAt(live);
    ASSERT_EQ(::listen(other, 4), 0);
    ::setenv("CAUBOX_CONTROL", live.c_str(), 1);
    EXPECT_EQ(ubox_open(&NotificationLog::Callback, 0), UBOX_ERR_CONTROL_SOCKET);
    EXPECT_TRUE(std::filesystem::exists(live));
    ::close(other);
    ::unlink(live.c_str());

    const std::string folder = MakeTempFolder("notsocket");
    const std::string plain = folder + "/caubox.sock";
    std::ofstream(plain) << "keep me";
    ::setenv("CAUBOX_CONTROL", plain.c_str(), 1);
    EXPECT_EQ(ubox_open(&NotificationLog::Callback, 0), UBOX_ERR_CONTROL_SOCKET);
    std::ifstream kept(plain);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "keep me");

    ::setenv("CAUBOX_CONTROL", ("/tmp/" + std::string(200, 'x') + ".sock").c_str(), 1);
    EXPECT_EQ(ubox_open(&NotificationLog::Callback, 0), UBOX_ERR_CONTROL_SOCKET);
    EXPECT_EQ(ubox_close(), UBOX_ERR_NOT_OPEN);
}

}  // namespace
}  // namespace caubox::test
