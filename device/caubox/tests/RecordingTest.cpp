// Recordings of the line: real MP3 files, decoded by mpg123 (an independent
// decoder), as long as the recording ran and carrying the line's sound.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "device/caubox/WavFile.h"
#include "device/caubox/tests/BoxTestSupport.h"

namespace caubox::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Decoded {
    bool ok = false;
    double seconds = 0;
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // as decoded, mono
};

// Decodes with mpg123 into a WAV file and reads that back.
Decoded DecodeWithMpg123(const std::string& mp3) {
    Decoded d;
    const std::string wav = mp3 + ".decoded.wav";
    const std::string command = "mpg123 -q -w '" + wav + "' '" + mp3 + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    if (status != 0) {
        ADD_FAILURE() << "mpg123 failed on " << mp3 << " (status " << status << ")";
        return d;
    }
    WavFormat format;
    std::string error;
    if (!ReadWavFormat(wav, format, error)) {
        ADD_FAILURE() << error;
        return d;
    }
    d.sampleRate = format.sampleRate;
    d.channels = format.channels;
    d.seconds = static_cast<double>(format.frames) / format.sampleRate;
    WavSound sound;
    if (!LoadWavForLine(wav, sound, error)) {
        ADD_FAILURE() << error;
        return d;
    }
    d.samples = std::move(sound.samples);
    d.ok = true;
    return d;
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) {
        sum += static_cast<double>(v) * v;
    }
    return s.empty() ? 0 : std::sqrt(sum / s.size());
}

// Zero crossings per second over the middle of the sound (8 kHz samples).
double CrossingsPerSecond(const std::vector<int16_t>& s) {
    const std::size_t from = s.size() / 4;
    const std::size_t to = s.size() * 3 / 4;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        if ((s[i - 1] < 0) != (s[i] < 0)) {
            ++crossings;
        }
    }
    return crossings / (static_cast<double>(to - from) / kLineSampleRate);
}

// Records for `length`, returns the wall time between the two calls.
double RecordFor(const OpenBox& box, const std::string& path, std::chrono::milliseconds length) {
    const auto start = Clock::now();
    EXPECT_EQ(ubox_record_file(box.handle(), path.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
    std::this_thread::sleep_for(length);
    EXPECT_EQ(ubox_stop_record(box.handle()), UBOX_OK);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(CauBoxRecording, QuietLineLastsAsLongAsTheRecordingRan) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("quiet");
    for (auto length : {1500ms, 3000ms}) {
        const std::string mp3 = folder + "/quiet" + std::to_string(length.count()) + ".mp3";
        const double ran = RecordFor(box, mp3, length);
        const Decoded d = DecodeWithMpg123(mp3);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.sampleRate, 8000);
        EXPECT_EQ(d.channels, 1);
        EXPECT_NEAR(d.seconds, ran, ran * 0.10) << mp3;
        EXPECT_LT(Rms(d.samples), 50.0) << "a quiet line";
    }
}

TEST(CauBoxRecording, CarriesTheLinesSoundLoopedFromAnyWavFormat) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("tone");
    // 0.3 s of a 600 Hz tone at 44.1 kHz stereo: looped about seven times.
    const std::string wav = folder + "/tone.wav";
    WriteToneWav(wav, 44100, 2, 0.3, 600, 0.5);
    ASSERT_TRUE(box.Command("audio " + wav).starts_with("OK 300 ms"));
    const std::string mp3 = folder + "/tone.mp3";
    const double ran = RecordFor(box, mp3, 2000ms);
    const Decoded d = DecodeWithMpg123(mp3);
    ASSERT_TRUE(d.ok);
    EXPECT_NEAR(d.seconds, ran, ran * 0.10);
    EXPECT_GT(Rms(d.samples), 0.5 * 32767 * 0.707 * 0.5) << "the tone is in the recording";
    EXPECT_NEAR(CrossingsPerSecond(d.samples), 1200, 120) << "at its own pitch";
}

TEST(CauBoxRecording, PlayedFileIsHeardAndEnds) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("play");
    const std::string wav = folder + "/prompt.wav";
    WriteToneWav(wav, 8000, 1, 0.5, 1000, 0.5);
    const std::string mp3 = folder + "/played.mp3";
    ASSERT_EQ(ubox_record_file(box.handle(), mp3.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
    ASSERT_EQ(ubox_play_file(box.handle(), wav.c_str()), UBOX_OK);
    EXPECT_NE(box.Command("status").find("playing=\"" + wav + "\""), std::string::npos);
    std::this_thread::sleep_for(1500ms);
    EXPECT_NE(box.Command("status").find("playing=\"\""), std::string::npos);
    ASSERT_EQ(ubox_stop_record(box.handle()), UBOX_OK);
    const Decoded d = DecodeWithMpg123(mp3);
    ASSERT_TRUE(d.ok);
    const std::size_t half = std::min<std::size_t>(d.samples.size(), 4000);
    const std::vector<int16_t> start(d.samples.begin() + 800, d.samples.begin() + half);
    const std::vector<int16_t> end(d.samples.end() - 4000, d.samples.end());
    EXPECT_GT(Rms(start), 5000.0) << "the prompt plays at the start";
    EXPECT_LT(Rms(end), 50.0) << "and is over by the end";
}

TEST(CauBoxRecording, NewRecordingUnplugAndCloseEachLeaveACompleteFile) {
    const std::string folder = MakeTempFolder("finish");
    const std::string first = folder + "/first.mp3";
    const std::string second = folder + "/second.mp3";
    const std::string third = folder + "/third.mp3";
    const std::string fourth = folder + "/fourth.mp3";
    {
        OpenBox box;
        ASSERT_EQ(box.openResult(), UBOX_OK);
        ASSERT_EQ(ubox_record_file(box.handle(), first.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
        std::this_thread::sleep_for(800ms);
        // A second recording without a stop finishes the first.
        ASSERT_EQ(ubox_record_file(box.handle(), second.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
        std::this_thread::sleep_for(800ms);
        ASSERT_EQ(box.Command("unplug"), "OK");
        EXPECT_EQ(ubox_stop_record(box.handle()), UBOX_ERR_NOT_PLUGGED);
        ASSERT_EQ(box.Command("plug"), "OK");
        Notification plugged;
        ASSERT_TRUE(NotificationLog::Instance().WaitFor(UBOX_EVENT_PLUG_IN, 1, 2s, &plugged));
        ASSERT_EQ(ubox_record_file(plugged.handle, third.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
        std::this_thread::sleep_for(800ms);
        ASSERT_EQ(ubox_stop_record(plugged.handle), UBOX_OK);
        ASSERT_EQ(ubox_record_file(plugged.handle, fourth.c_str(), UBOX_FORMAT_MP3), UBOX_OK);
        std::this_thread::sleep_for(800ms);
    }  // closed while recording
    for (const std::string& mp3 : {first, second, third, fourth}) {
        const Decoded d = DecodeWithMpg123(mp3);
        ASSERT_TRUE(d.ok) << mp3;
        EXPECT_NEAR(d.seconds, 0.8, 0.8 * 0.15) << mp3;
    }
}

TEST(CauBoxRecording, PathsThatCannotBeWrittenFailWithoutAFile) {
    OpenBox box;
    ASSERT_EQ(box.openResult(), UBOX_OK);
    const std::string folder = MakeTempFolder("badpath");
    const std::string plainFile = folder + "/plain";
    std::ofstream(plainFile) << "x";
    std::vector<std::string> paths = {
        folder + "/no/such/folder/call.mp3",  // missing folder
        plainFile + "/call.mp3",              // a file where a folder should be
        folder,                               // a folder itself
    };
    const std::string readOnly = folder + "/readonly";
    std::filesystem::create_directory(readOnly);
    ::chmod(readOnly.c_str(), 0500);
    if (::geteuid() != 0) {  // root writes anywhere
        paths.push_back(readOnly + "/call.mp3");
    }
    for (const std::string& path : paths) {
        EXPECT_EQ(ubox_record_file(box.handle(), path.c_str(), UBOX_FORMAT_MP3), UBOX_ERR_FILE)
            << path;
        EXPECT_NE(box.Command("status").find("recording=\"\""), std::string::npos);
    }
    EXPECT_EQ(ubox_stop_record(box.handle()), UBOX_ERR_NOT_RECORDING);
    ::chmod(readOnly.c_str(), 0700);
    // The box records fine afterwards.
    const std::string good = folder + "/good.mp3";
    RecordFor(box, good, 500ms);
    EXPECT_TRUE(DecodeWithMpg123(good).ok);
}

}  // namespace
}  // namespace caubox::test
