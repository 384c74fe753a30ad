// MP3 encoding speed of the box's recorder, as a multiple of real time:
// 8 kHz mono line sound encoded in the 20 ms chunks the recorder uses.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "device/caubox/Mp3Encoder.h"

namespace {

std::vector<int16_t> LineSound(double seconds) {
    std::vector<int16_t> samples(static_cast<std::size_t>(seconds * caubox::kLineSampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        // A voice-like mix of tones with a little noise.
        const double t = static_cast<double>(i) / caubox::kLineSampleRate;
        const double v = 0.3 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 1330 * t) +
                         0.05 * ((static_cast<int>(i * 2654435761u >> 16) & 0xFF) / 128.0 - 1);
        samples[i] = static_cast<int16_t>(v * 32767);
    }
    return samples;
}

void BM_EncodeLineSound(benchmark::State& state) {
    constexpr double kSeconds = 10;
    const std::vector<int16_t> sound = LineSound(kSeconds);
    const std::size_t chunk =
        static_cast<std::size_t>(state.range(0)) * caubox::kLineSampleRate / 1000;
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        caubox::Mp3Encoder encoder;
        bytes.clear();
        for (std::size_t at = 0; at < sound.size(); at += chunk) {
            const std::size_t n = std::min(chunk, sound.size() - at);
            encoder.Encode(sound.data() + at, n, bytes);
        }
        encoder.Flush(bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    // Seconds of sound per second of work: the multiple of real time.
    state.counters["x_realtime"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeLineSound)->Arg(20)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
