#include "client/service/RecordingUpload.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "client/service/ApiQuery.h"

std::string MultipartHead(const std::string& locFile) {
    std::string head;
    head += kMultipartDelimiter;
    head += "\r\n";
    head += "Content-Disposition: form-data; name=\"file1\"; filename=\"" + locFile + "\"\r\n";
    head += "Content-Type: application/octet-stream\r\n";
    head += "\r\n";
    return head;
}

std::string MultipartTail() {
    std::string tail = "\r\n";
    tail += kMultipartDelimiter;
    tail += "\r\n";
    tail += "Content-Disposition: form-data; name=\"text1\"\r\n\r\n";
    tail += "\r\n";
    tail += kMultipartDelimiter;
    tail += "--";
    return tail;
}

std::string RecordingUploadUrl(const std::string& host, int port, int userId) {
    return ServiceBaseUrl(host, port) + "/UploadFiles/demo.asp?buid=" + BusId(userId);
}

namespace {

// Feeds head, file content and tail to libcurl.
struct BodySource {
    std::string head;
    std::string tail;
    int fd = -1;
    long long fileSize = 0;
    long long headSent = 0, fileSent = 0, tailSent = 0;
    std::string readError;

    ~BodySource() {
        if (fd >= 0)
            ::close(fd);
    }

    static size_t Read(char* buffer, size_t size, size_t count, void* user) {
        auto* self = static_cast<BodySource*>(user);
        const size_t room = size * count;
        size_t filled = 0;
        auto copyFrom = [&](const std::string& part, long long& sent) {
            const size_t n = std::min(room - filled, part.size() - static_cast<size_t>(sent));
            std::memcpy(buffer + filled, part.data() + sent, n);
            sent += static_cast<long long>(n);
            filled += n;
        };
        copyFrom(self->head, self->headSent);
        while (filled < room && self->fileSent < self->fileSize) {
            const size_t want = static_cast<size_t>(std::min<long long>(
                static_cast<long long>(room - filled), self->fileSize - self->fileSent));
            const ssize_t n = ::read(self->fd, buffer + filled, want);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                self->readError = n == 0 ? "语音文件在上传中被截短" : std::strerror(errno);
                return CURL_READFUNC_ABORT;
            }
            self->fileSent += n;
            filled += static_cast<size_t>(n);
        }
        if (self->fileSent == self->fileSize)
            copyFrom(self->tail, self->tailSent);
        return filled;
    }
};

size_t DiscardAnswer(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Ends a transfer that has made no progress for stallMs.
struct StallWatch {
    long stallMs = 0;
    curl_off_t lastDown = -1, lastUp = -1;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
    bool stalled = false;

    static int Check(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
        auto* self = static_cast<StallWatch*>(user);
        const auto now = std::chrono::steady_clock::now();
        if (dlnow != self->lastDown || ulnow != self->lastUp) {
            self->lastDown = dlnow;
            self->lastUp = ulnow;
            self->lastProgress = now;
            return 0;
        }
        if (now - self->lastProgress >= std::chrono::milliseconds(self->stallMs)) {
            self->stalled = true;
            return 1;
        }
        return 0;
    }
};

}  // namespace

TRecordingUploadResult UploadRecording(const std::string& host, int port, const TVocFileInfo& info,
                                       const THttpTimeouts& timeouts) {
    TRecordingUploadResult result;
    EnsureCurlInitialised();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                        curl_slist_free_all);
    for (const char* header :
         {"Content-Type: multipart/form-data", "Accept: text/html, */*", "Expect:"}) {
        headers.reset(curl_slist_append(headers.release(), header));
    }
    if (!curl || !headers) {
        result.site = -12;
        result.message = "无法创建HTTP请求";
        return result;
    }

    BodySource body;
    body.fd = ::open(info.locFile.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (body.fd < 0 || ::fstat(body.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.site = -11;
        result.message = body.fd < 0
                             ? std::string("无法打开 ") + info.locFile + ": " + std::strerror(errno)
                             : "不是普通文件: " + info.locFile;
        return result;
    }
    body.fileSize = st.st_size;
    body.head = MultipartHead(info.locFile);
    body.tail = MultipartTail();
    const curl_off_t total = static_cast<curl_off_t>(body.head.size() + body.tail.size()) +
                             static_cast<curl_off_t>(body.fileSize);

    CURL* h = curl.get();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const std::string url = RecordingUploadUrl(host, port, info.UserID);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, total);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &BodySource::Read);
    curl_easy_setopt(h, CURLOPT_READDATA, &body);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardAnswer);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    StallWatch stall;
    stall.stallMs = timeouts.totalMs;
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &StallWatch::Check);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &stall);

    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        if (!body.readError.empty()) {
            result.site = -11;
            result.message = body.readError + ": " + info.locFile;
        } else {
            result.site = -10;
            result.message = stall.stalled
                                 ? "服务器" + std::to_string(timeouts.totalMs) + "毫秒无响应"
                             : errorBuffer[0] ? errorBuffer
                                              : curl_easy_strerror(rc);
        }
        return result;
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    if (result.status >= 400) {
        result.site = -10;
        result.message = "HTTP/1.1 " + std::to_string(result.status);
        return result;
    }
    result.ok = true;
    return result;
}
