// Reading WAV files into the box's line format: 8 kHz mono 16-bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/caubox/LineFormat.h"

namespace caubox {

struct WavFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    bool isFloat = false;
    uint64_t frames = 0;  // sample frames in the data chunk
};

struct WavSound {
    WavFormat format;              // as found in the file
    std::vector<int16_t> samples;  // downmixed to mono, resampled to 8 kHz
};

// Files larger than this are refused rather than read into memory.
inline constexpr uint64_t kMaxWavFileBytes = 256ull * 1024 * 1024;

// Reads a RIFF/WAVE file of integer PCM (8, 16, 24 or 32 bit) or float PCM
// (32 or 64 bit), any channel count up to 16 and rate from 1 Hz to 384 kHz.
// False with a reason in error for a missing, unreadable or malformed file,
// or one without sound.
bool LoadWavForLine(const std::string& path, WavSound& sound, std::string& error);

// Only the format, for files read by someone else (mpg123's output, for example).
bool ReadWavFormat(const std::string& path, WavFormat& format, std::string& error);

// Mono 16-bit samples at fromRate turned into targetRate (linear interpolation
// after an averaging low-pass when the rate goes down).
std::vector<int16_t> ResampleMono(const std::vector<int16_t>& in, int fromRate, int targetRate);

}  // namespace caubox
