#include "device/caubox/LineMixer.h"

#include <algorithm>

namespace caubox {

void LineMixer::SetSound(std::vector<int16_t> samples, std::string name, uint64_t from) {
    sound_ = std::move(samples);
    soundName_ = sound_.empty() ? std::string() : std::move(name);
    soundFrom_ = from;
}

void LineMixer::ClearSound() {
    sound_.clear();
    soundName_.clear();
}

void LineMixer::StartPlayback(std::vector<int16_t> samples, std::string name, uint64_t from) {
    playback_ = std::move(samples);
    playbackName_ = playback_.empty() ? std::string() : std::move(name);
    playbackFrom_ = from;
}

void LineMixer::StopPlayback() {
    playback_.clear();
    playbackName_.clear();
}

uint64_t LineMixer::playbackEnd() const {
    return playback_.empty() ? 0 : playbackFrom_ + playback_.size();
}

void LineMixer::Fill(uint64_t first, int16_t* out, std::size_t count) const {
    for (std::size_t k = 0; k < count; ++k) {
        const uint64_t index = first + k;
        int value = 0;
        if (!sound_.empty() && index >= soundFrom_) {
            value = sound_[static_cast<std::size_t>((index - soundFrom_) % sound_.size())];
        }
        if (index >= playbackFrom_ && index < playbackEnd()) {
            value += playback_[static_cast<std::size_t>(index - playbackFrom_)];
        }
        out[k] = static_cast<int16_t>(std::clamp(value, -32768, 32767));
    }
}

}  // namespace caubox
