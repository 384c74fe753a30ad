#include "device/caubox/Mp3Encoder.h"

#include <lame/lame.h>

namespace caubox {

namespace {

// LAME's own worst case for an output buffer: 1.25 x samples + 7200 bytes.
std::size_t WorstCaseBytes(std::size_t samples) {
    return samples + samples / 4 + 7200;
}

}  // namespace

Mp3Encoder::Mp3Encoder(int sampleRate, int kbps) {
    lame_t lame = lame_init();
    if (lame == nullptr) {
        return;
    }
    lame_set_num_channels(lame, 1);
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_out_samplerate(lame, sampleRate);
    lame_set_mode(lame, MONO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, kbps);
    lame_set_quality(lame, 5);
    // An empty first frame, filled in at the end with the stream's delay and length.
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return;
    }
    lame_ = lame;
}

Mp3Encoder::~Mp3Encoder() {
    if (lame_ != nullptr) {
        lame_close(lame_);
    }
}

bool Mp3Encoder::Encode(const int16_t* samples, std::size_t count, std::vector<uint8_t>& out) {
    if (lame_ == nullptr || flushed_) {
        return false;
    }
    constexpr std::size_t kMaxChunk = 1 << 16;
    while (count > 0) {
        const std::size_t chunk = count < kMaxChunk ? count : kMaxChunk;
        const std::size_t start = out.size();
        out.resize(start + WorstCaseBytes(chunk));
        // LAME takes a non-const buffer but only reads it.
        short* pcm = const_cast<short*>(reinterpret_cast<const short*>(samples));
        const int written =
            lame_encode_buffer(lame_, pcm, pcm, static_cast<int>(chunk), out.data() + start,
                               static_cast<int>(out.size() - start));
        if (written < 0) {
            out.resize(start);
            return false;
        }
        out.resize(start + static_cast<std::size_t>(written));
        samples += chunk;
        count -= chunk;
    }
    return true;
}

bool Mp3Encoder::Flush(std::vector<uint8_t>& out) {
    if (lame_ == nullptr || flushed_) {
        return false;
    }
    flushed_ = true;
    const std::size_t start = out.size();
    out.resize(start + 7200);
    const int written = lame_encode_flush(lame_, out.data() + start, 7200);
    if (written < 0) {
        out.resize(start);
        return false;
    }
    out.resize(start + static_cast<std::size_t>(written));
    return true;
}

std::vector<uint8_t> Mp3Encoder::HeaderFrame() {
    if (lame_ == nullptr || !flushed_) {
        return {};
    }
    std::vector<uint8_t> frame(2880);
    const std::size_t size = lame_get_lametag_frame(lame_, frame.data(), frame.size());
    frame.resize(size <= frame.size() ? size : 0);
    return frame;
}

}  // namespace caubox
