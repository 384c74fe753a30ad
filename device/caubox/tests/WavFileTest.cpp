// WAV files read for the line: every supported coding turned into 8 kHz mono,
// and files that are not WAV refused with a reason.
#include <cmath>
#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "device/caubox/WavFile.h"
#include "device/caubox/tests/BoxTestSupport.h"

namespace caubox::test {
namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

struct Coding {
    const char* name;
    uint16_t tag;  // 1 PCM, 3 float, 0xFFFE extensible PCM
    int bits;
    int rate;
    int channels;
};

// A file of a 500 Hz tone at amplitude 0.5, 0.25 s long, in the given coding.
std::string ToneFile(const Coding& c, bool withExtraChunk = false) {
    const int frames = c.rate / 4;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * 500 * i / c.rate);
        for (int ch = 0; ch < c.channels; ++ch) {
            if (c.tag == 3 && c.bits == 32) {
                float f = static_cast<float>(v);
                uint32_t u;
                std::memcpy(&u, &f, 4);
                Put32(data, u);
            } else if (c.tag == 3) {
                double d = v;
                uint64_t u;
                std::memcpy(&u, &d, 8);
                Put32(data, static_cast<uint32_t>(u));
                Put32(data, static_cast<uint32_t>(u >> 32));
            } else if (c.bits == 8) {
                data += static_cast<char>(128 + std::lround(v * 127));
            } else if (c.bits == 16) {
                Put16(data, static_cast<uint16_t>(std::lround(v * 32767)));
            } else if (c.bits == 24) {
                const int32_t s = static_cast<int32_t>(std::lround(v * 8388607));
                data += static_cast<char>(s & 0xFF);
                data += static_cast<char>((s >> 8) & 0xFF);
                data += static_cast<char>((s >> 16) & 0xFF);
            } else {
                Put32(data,
                      static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 2147483647.0))));
            }
        }
    }
    std::string fmt;
    Put16(fmt, c.tag);
    Put16(fmt, static_cast<uint32_t>(c.channels));
    Put32(fmt, static_cast<uint32_t>(c.rate));
    Put32(fmt, static_cast<uint32_t>(c.rate * c.channels * c.bits / 8));
    Put16(fmt, static_cast<uint32_t>(c.channels * c.bits / 8));
    Put16(fmt, static_cast<uint32_t>(c.bits));
    if (c.tag == 0xFFFE) {
        Put16(fmt, 22);
        Put16(fmt, static_cast<uint32_t>(c.bits));
        Put32(fmt, 0);
        Put16(fmt, 1);  // sub-format: PCM
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    body += "fmt ";
    Put32(body, static_cast<uint32_t>(fmt.size()));
    body += fmt;
    if (withExtraChunk) {
        body += "LIST";
        Put32(body, 3);
        body += std::string("abc\0", 4);  // odd size, padded
    }
    body += "data";
    Put32(body, static_cast<uint32_t>(data.size()));
    body += data;
    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(body.size()));
    return file + body;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    static const std::string folder = MakeTempFolder("wav");
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) {
        sum += static_cast<double>(v) * v;
    }
    return std::sqrt(sum / s.size());
}

TEST(CauBoxWavFile, EveryCodingBecomesEightKilohertzMono) {
    const Coding codings[] = {
        {"pcm8-mono-8k", 1, 8, 8000, 1},       {"pcm16-stereo-44k", 1, 16, 44100, 2},
        {"pcm16-mono-16k", 1, 16, 16000, 1},   {"pcm24-mono-48k", 1, 24, 48000, 1},
        {"pcm32-6ch-22k", 1, 32, 22050, 6},    {"float32-stereo-8k", 3, 32, 8000, 2},
        {"float64-mono-11k", 3, 64, 11025, 1}, {"ext-pcm16-stereo-32k", 0xFFFE, 16, 32000, 2},
        {"pcm16-mono-4k", 1, 16, 4000, 1},
    };
    for (const Coding& c : codings) {
        SCOPED_TRACE(c.name);
        const std::string path =
            WriteFile(std::string(c.name) + ".wav", ToneFile(c, c.rate == 16000));
        WavSound sound;
        std::string error;
        ASSERT_TRUE(LoadWavForLine(path, sound, error)) << error;
        EXPECT_EQ(sound.format.sampleRate, c.rate);
        EXPECT_EQ(sound.format.channels, c.channels);
        EXPECT_EQ(sound.format.bitsPerSample, c.bits);
        EXPECT_NEAR(static_cast<double>(sound.samples.size()), 2000, 2);  // 0.25 s at 8 kHz
        EXPECT_NEAR(Rms(sound.samples), 0.5 * 32767 / std::sqrt(2.0), 1200);
    }
}

TEST(CauBoxWavFile, FilesThatAreNotUsableWavAreRefusedWithAReason) {
    const Coding pcm16 = {"", 1, 16, 8000, 1};
    const std::string good = ToneFile(pcm16);
    std::string noData = good.substr(0, 36);
    std::string twelveBits = good;
    twelveBits[34] = 12;
    std::string alaw = good;
    alaw[20] = 6;
    std::string zeroChannels = good;
    zeroChannels[22] = 0;
    std::string emptyData = good.substr(0, 40) + std::string(4, '\0');
    std::string dataFirst = "RIFF" + std::string(4, '\0') + "WAVEdata" + std::string(4, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty.wav", "", "no RIFF/WAVE header"},
        {"text.wav", "hello, this is text and not sound at all\n", "no RIFF/WAVE header"},
        {"mp3.wav", "ID3\x03\x00\x00\x00\x00\x00\x00 not a wav", "no RIFF/WAVE header"},
        {"nodata.wav", noData, "no data chunk"},
        {"12bit.wav", twelveBits, "unsupported sample size of 12 bits"},
        {"alaw.wav", alaw, "unsupported WAV coding 6"},
        {"zerochannels.wav", zeroChannels, "unsupported channel count 0"},
        {"emptydata.wav", emptyData, "holds no sound"},
        {"datafirst.wav", dataFirst, "data before format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavSound sound;
        std::string error;
        EXPECT_FALSE(LoadWavForLine(WriteFile(c.name, c.bytes), sound, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    WavSound sound;
    std::string error;
    EXPECT_FALSE(LoadWavForLine("/no/such/file.wav", sound, error));
    EXPECT_NE(error.find("cannot open '/no/such/file.wav'"), std::string::npos) << error;
    EXPECT_FALSE(LoadWavForLine("/tmp", sound, error));
}

TEST(CauBoxWavFile, DataChunkLongerThanTheFileIsReadAsFarAsItGoes) {
    std::string streamed = ToneFile({"", 1, 16, 8000, 1});
    for (int i = 40; i < 44; ++i) {
        streamed[i] = '\xff';  // a writer that never filled in the size
    }
    const std::string cut = streamed.substr(0, 44 + 1001);  // and a half sample at the end
    WavSound sound;
    std::string error;
    ASSERT_TRUE(LoadWavForLine(WriteFile("streamed.wav", cut), sound, error)) << error;
    EXPECT_EQ(sound.samples.size(), 500u);
}

}  // namespace
}  // namespace caubox::test
