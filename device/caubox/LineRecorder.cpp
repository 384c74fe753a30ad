#include "device/caubox/LineRecorder.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace caubox {

LineRecorder::~LineRecorder() {
    Abandon();
}

bool LineRecorder::Start(const std::string& path, uint64_t from, std::string& error,
                         bool& encoderFault) {
    Abandon();
    encoderFault = false;
    auto encoder = std::make_unique<Mp3Encoder>();
    if (!encoder->ok()) {
        encoderFault = true;
        error = "the MP3 encoder refused 8 kHz mono";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    file_ = file;
    encoder_ = std::move(encoder);
    path_ = path;
    next_ = from;
    return true;
}

bool LineRecorder::Pump(uint64_t until, const LineMixer& line, std::string& error) {
    if (file_ == nullptr) {
        return true;
    }
    if (until <= next_) {
        return true;
    }
    std::vector<int16_t> samples(static_cast<std::size_t>(until - next_));
    line.Fill(next_, samples.data(), samples.size());
    next_ = until;
    bytes_.clear();
    if (!encoder_->Encode(samples.data(), samples.size(), bytes_)) {
        error = "the MP3 encoder failed while recording '" + path_ + "'";
        Abandon();
        return false;
    }
    return Write(error);
}

bool LineRecorder::Finish(uint64_t until, const LineMixer& line, std::string& error) {
    if (file_ == nullptr) {
        return true;
    }
    if (!Pump(until, line, error)) {
        return false;
    }
    bytes_.clear();
    if (!encoder_->Flush(bytes_)) {
        error = "the MP3 encoder failed to finish '" + path_ + "'";
        Abandon();
        return false;
    }
    if (!Write(error)) {
        return false;
    }
    const std::vector<uint8_t> header = encoder_->HeaderFrame();
    if (!header.empty()) {
        if (std::fseek(file_, 0, SEEK_SET) != 0 ||
            std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
            error = "cannot write the header of '" + path_ + "': " + std::strerror(errno);
            Abandon();
            return false;
        }
    }
    const int closed = std::fclose(file_);
    file_ = nullptr;
    encoder_.reset();
    if (closed != 0) {
        error = "cannot close '" + path_ + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

bool LineRecorder::Write(std::string& error) {
    if (!bytes_.empty() && std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
        error = "cannot write '" + path_ + "': " + std::strerror(errno);
        Abandon();
        return false;
    }
    // Flushed at every pump, so that the file on disk is as long as the recording so far.
    if (std::fflush(file_) != 0) {
        error = "cannot write '" + path_ + "': " + std::strerror(errno);
        Abandon();
        return false;
    }
    return true;
}

void LineRecorder::Abandon() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    encoder_.reset();
}

}  // namespace caubox
