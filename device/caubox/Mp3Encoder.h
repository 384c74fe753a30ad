// LAME MP3 encoder for the box's line sound: 16-bit mono PCM in, MP3 bytes out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/caubox/LineFormat.h"

struct lame_global_struct;

namespace caubox {

class Mp3Encoder {
  public:
    // CBR at the given bit rate, mono, sampleRate in and out. At 8 kHz a frame
    // must be at least 24 kbit/s to hold the header frame.
    explicit Mp3Encoder(int sampleRate = kLineSampleRate, int kbps = 32);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // False when LAME refused the settings; every other call then fails too.
    bool ok() const { return lame_ != nullptr; }

    // Appends the MP3 bytes for these samples to out (possibly none yet: LAME buffers).
    bool Encode(const int16_t* samples, std::size_t count, std::vector<uint8_t>& out);
    // Appends the rest of the stream. The encoder takes no more samples afterwards.
    bool Flush(std::vector<uint8_t>& out);
    // After Flush: the header frame (encoder delay and padding, so that
    // decoders give back exactly the samples encoded). It replaces the empty
    // frame of the same size that starts the stream.
    std::vector<uint8_t> HeaderFrame();

  private:
    lame_global_struct* lame_ = nullptr;
    bool flushed_ = false;
};

}  // namespace caubox
