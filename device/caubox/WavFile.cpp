#include "device/caubox/WavFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace caubox {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct ParsedWav {
    WavFormat format;
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0;
};

// Walks the chunks; leaves the stream anywhere.
bool ParseHeader(std::ifstream& file, uint64_t fileSize, ParsedWav& wav, std::string& error) {
    uint8_t riff[12];
    if (!file.read(reinterpret_cast<char*>(riff), sizeof riff) ||
        std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    bool haveFormat = false;
    uint64_t pos = 12;
    while (pos + 8 <= fileSize) {
        uint8_t header[8];
        file.seekg(static_cast<std::streamoff>(pos));
        if (!file.read(reinterpret_cast<char*>(header), sizeof header)) {
            break;
        }
        const uint64_t size = Le32(header + 4);
        const uint64_t body = pos + 8;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (size < 16 || body + size > fileSize) {
                error = "not a WAV file (bad format chunk)";
                return false;
            }
            uint8_t fmt[40] = {};
            const std::size_t toRead =
                static_cast<std::size_t>(std::min<uint64_t>(size, sizeof fmt));
            if (!file.read(reinterpret_cast<char*>(fmt), static_cast<std::streamsize>(toRead))) {
                error = "cannot read the format chunk";
                return false;
            }
            uint16_t tag = Le16(fmt);
            const int channels = Le16(fmt + 2);
            const uint32_t rate = Le32(fmt + 4);
            const int bits = Le16(fmt + 14);
            if (tag == kFormatExtensible) {
                if (size < 40) {
                    error = "not a WAV file (short extensible format chunk)";
                    return false;
                }
                tag = Le16(fmt + 24);  // first two bytes of the sub-format GUID
            }
            if (tag != kFormatPcm && tag != kFormatFloat) {
                error = "unsupported WAV coding " + std::to_string(tag) + " (PCM or float only)";
                return false;
            }
            const bool isFloat = tag == kFormatFloat;
            const bool bitsOk = isFloat ? (bits == 32 || bits == 64)
                                        : (bits == 8 || bits == 16 || bits == 24 || bits == 32);
            if (!bitsOk) {
                error = "unsupported sample size of " + std::to_string(bits) + " bits";
                return false;
            }
            if (channels < 1 || channels > 16) {
                error = "unsupported channel count " + std::to_string(channels);
                return false;
            }
            if (rate < 1 || rate > 384000) {
                error = "unsupported sample rate " + std::to_string(rate);
                return false;
            }
            wav.format.sampleRate = static_cast<int>(rate);
            wav.format.channels = channels;
            wav.format.bitsPerSample = bits;
            wav.format.isFloat = isFloat;
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat) {
                error = "not a WAV file (data before format)";
                return false;
            }
            // A writer that never came back to fill in the size leaves too
            // large a value: take what the file holds.
            wav.dataOffset = body;
            wav.dataBytes = std::min<uint64_t>(size, fileSize - body);
            const uint64_t frameBytes =
                static_cast<uint64_t>(wav.format.channels) * (wav.format.bitsPerSample / 8);
            wav.format.frames = wav.dataBytes / frameBytes;
            return true;
        }
        pos = body + size + (size & 1);  // chunks are padded to even sizes
    }
    error = haveFormat ? "not a WAV file (no data chunk)" : "not a WAV file (no format chunk)";
    return false;
}

bool OpenAndParse(const std::string& path, std::ifstream& file, ParsedWav& wav,
                  std::string& error) {
    file.open(path, std::ios::binary);
    if (!file) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    file.seekg(0);
    if (end < 0) {
        error = "cannot read '" + path + "' (not a regular file?)";
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(end);
    if (fileSize > kMaxWavFileBytes) {
        error = "'" + path + "' is larger than " + std::to_string(kMaxWavFileBytes >> 20) + " MiB";
        return false;
    }
    if (!ParseHeader(file, fileSize, wav, error)) {
        error = "'" + path + "': " + error;
        return false;
    }
    return true;
}

double DecodeSample(const uint8_t* p, const WavFormat& f) {
    if (f.isFloat) {
        if (f.bitsPerSample == 32) {
            float v;
            std::memcpy(&v, p, sizeof v);
            return std::isfinite(v) ? v : 0.0;
        }
        double v;
        std::memcpy(&v, p, sizeof v);
        return std::isfinite(v) ? v : 0.0;
    }
    switch (f.bitsPerSample) {
        case 8:
            return (static_cast<int>(p[0]) - 128) / 128.0;
        case 16:
            return static_cast<int16_t>(Le16(p)) / 32768.0;
        case 24: {
            int32_t v = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            if (v & 0x800000) {
                v -= 0x1000000;
            }
            return v / 8388608.0;
        }
        default:
            return static_cast<int32_t>(Le32(p)) / 2147483648.0;
    }
}

int16_t ToPcm16(double v) {
    const double scaled = std::lround(v * 32767.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

}  // namespace

bool ReadWavFormat(const std::string& path, WavFormat& format, std::string& error) {
    std::ifstream file;
    ParsedWav wav;
    if (!OpenAndParse(path, file, wav, error)) {
        return false;
    }
    format = wav.format;
    return true;
}

bool LoadWavForLine(const std::string& path, WavSound& sound, std::string& error) {
    std::ifstream file;
    ParsedWav wav;
    if (!OpenAndParse(path, file, wav, error)) {
        return false;
    }
    if (wav.format.frames == 0) {
        error = "'" + path + "' holds no sound";
        return false;
    }
    std::vector<uint8_t> data(static_cast<std::size_t>(wav.dataBytes));
    file.seekg(static_cast<std::streamoff>(wav.dataOffset));
    if (!file.read(reinterpret_cast<char*>(data.data()),
                   static_cast<std::streamsize>(data.size()))) {
        error = "cannot read the sound of '" + path + "'";
        return false;
    }
    const WavFormat& f = wav.format;
    const std::size_t sampleBytes = static_cast<std::size_t>(f.bitsPerSample / 8);
    const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(f.channels);
    std::vector<int16_t> mono(static_cast<std::size_t>(f.frames));
    for (std::size_t i = 0; i < mono.size(); ++i) {
        const uint8_t* frame = data.data() + i * frameBytes;
        double sum = 0;
        for (int c = 0; c < f.channels; ++c) {
            sum += DecodeSample(frame + static_cast<std::size_t>(c) * sampleBytes, f);
        }
        mono[i] = ToPcm16(sum / f.channels);
    }
    sound.format = f;
    sound.samples = ResampleMono(mono, f.sampleRate, kLineSampleRate);
    if (sound.samples.empty()) {
        sound.samples.push_back(0);
    }
    return true;
}

std::vector<int16_t> ResampleMono(const std::vector<int16_t>& in, int fromRate, int targetRate) {
    if (fromRate == targetRate || in.empty()) {
        return in;
    }
    std::vector<int16_t> source = in;
    if (fromRate > targetRate) {
        // Average over one output sample's span, so that the interpolation
        // below does not fold high tones back into the band.
        const std::size_t width =
            static_cast<std::size_t>((fromRate + targetRate - 1) / targetRate);
        if (width > 1) {
            long long window = 0;
            for (std::size_t i = 0; i < in.size(); ++i) {
                window += in[i];
                if (i >= width) {
                    window -= in[i - width];
                }
                const std::size_t n = std::min(i + 1, width);
                source[i] = static_cast<int16_t>(window / static_cast<long long>(n));
            }
        }
    }
    const uint64_t outCount = static_cast<uint64_t>(in.size()) * static_cast<uint64_t>(targetRate) /
                              static_cast<uint64_t>(fromRate);
    std::vector<int16_t> out(static_cast<std::size_t>(outCount));
    const double step = static_cast<double>(fromRate) / targetRate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double at = i * step;
        const std::size_t k = static_cast<std::size_t>(at);
        const double frac = at - static_cast<double>(k);
        const int a = source[std::min(k, source.size() - 1)];
        const int b = source[std::min(k + 1, source.size() - 1)];
        out[i] = static_cast<int16_t>(std::lround(a + (b - a) * frac));
    }
    return out;
}

}  // namespace caubox
