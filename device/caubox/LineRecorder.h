// Records the line into an MP3 file in real time: every pump encodes the
// samples that became due since the last one, so that the file's length
// follows the wall clock whatever the timer's jitter.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "device/caubox/LineMixer.h"
#include "device/caubox/Mp3Encoder.h"

namespace caubox {

class LineRecorder {
  public:
    LineRecorder() = default;
    ~LineRecorder();
    LineRecorder(const LineRecorder&) = delete;
    LineRecorder& operator=(const LineRecorder&) = delete;

    // Creates (or truncates) path; the recording's first sample is line index `from`.
    // False with a reason when the encoder fails (encoderFault set) or the
    // file cannot be created.
    bool Start(const std::string& path, uint64_t from, std::string& error, bool& encoderFault);
    // Encodes and writes the line up to (not including) line index `until`.
    // False with a reason on a write error; the recording is then over and its file closed.
    bool Pump(uint64_t until, const LineMixer& line, std::string& error);
    // Pumps up to `until`, flushes the encoder and closes the file.
    bool Finish(uint64_t until, const LineMixer& line, std::string& error);

    bool active() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

  private:
    bool Write(std::string& error);
    void Abandon();

    std::FILE* file_ = nullptr;
    std::unique_ptr<Mp3Encoder> encoder_;
    std::string path_;
    uint64_t next_ = 0;  // line index of the next sample to encode
    std::vector<uint8_t> bytes_;
};

}  // namespace caubox
