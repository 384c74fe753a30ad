// The multipart POST of one recording to "/UploadFiles/demo.asp?buid=". The
// body is streamed from the file, so a large recording is never held in memory.
#pragma once

#include <string>

#include "client/agent/TVocFileInfo.h"
#include "client/service/HttpRequest.h"

inline constexpr const char* kMultipartDelimiter = "-----------------------------7cf1d6c47c";

// The body bytes before and after the file's content.
std::string MultipartHead(const std::string& locFile);
std::string MultipartTail();

std::string RecordingUploadUrl(const std::string& host, int port, int userId);

struct TRecordingUploadResult {
    bool ok = false;
    int site = 0;         // on failure: -10 the POST, -11 reading the file, -12 preparing
    std::string message;  // the failure's message
    long status = 0;      // HTTP status when an answer came
};

// Uploads the file named by `info.locFile`. A status of 400 or above is a
// failure. `timeouts.totalMs` is the longest stretch without progress.
TRecordingUploadResult UploadRecording(const std::string& host, int port, const TVocFileInfo& info,
                                       const THttpTimeouts& timeouts);
