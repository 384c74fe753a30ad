// What the line carries, sample by sample: the line's sound (looped) plus a
// file played by the box. Samples are addressed by their line index, the
// count of 8 kHz samples since the box was opened, so that the recorder can
// ask for any stretch it has not encoded yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace caubox {

class LineMixer {
  public:
    // The line's sound from line index `from` on, looped. Empty samples: a quiet line.
    void SetSound(std::vector<int16_t> samples, std::string name, uint64_t from);
    void ClearSound();
    const std::string& soundName() const { return soundName_; }

    // A file played once, starting at line index `from`.
    void StartPlayback(std::vector<int16_t> samples, std::string name, uint64_t from);
    void StopPlayback();
    // The first line index after the playback; 0 when nothing plays.
    uint64_t playbackEnd() const;
    const std::string& playbackName() const { return playbackName_; }

    // Writes the samples of line indexes first .. first + count - 1.
    void Fill(uint64_t first, int16_t* out, std::size_t count) const;

  private:
    std::vector<int16_t> sound_;
    std::string soundName_;
    uint64_t soundFrom_ = 0;
    std::vector<int16_t> playback_;
    std::string playbackName_;
    uint64_t playbackFrom_ = 0;
};

}  // namespace caubox
