#include "client/service/HttpRequest.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>
#include <mutex>

void EnsureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsRetryableStatus(long status) {
    return status >= 500 || status == 408 || status == 429;
}

namespace {

bool HasHttpScheme(const std::string& url) {
    std::string scheme = url.substr(0, url.find("://"));
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return url.find("://") != std::string::npos && (scheme == "http" || scheme == "https");
}

struct BodySink {
    std::string body;
    bool tooLong = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t n = size * count;
    if (sink->body.size() + n > kMaxAnswerBytes) {
        sink->tooLong = true;
        return 0;  // aborts the transfer
    }
    sink->body.append(data, n);
    return n;
}

}  // namespace

THttpResult HttpRequest(const std::string& url, const THttpTimeouts& timeouts) {
    THttpResult result;
    EnsureCurlInitialised();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.text = "没有XMLHTTP组件!";
        return result;
    }
    if (!HasHttpScheme(url)) {
        result.text = "不支持的地址: " + url;
        return result;
    }
    CURL* h = curl.get();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    BodySink sink;
    if (curl_easy_setopt(h, CURLOPT_URL, url.c_str()) != CURLE_OK) {
        result.text = "URL无效: " + url;
        return result;
    }
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, 0L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeouts.totalMs);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    // No request header of our own: drop the form content type libcurl adds to a POST.
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "Content-Type:"), curl_slist_free_all);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_URL_MALFORMAT) {
        result.text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
        return result;
    }
    if (rc != CURLE_OK) {
        std::string message = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
        if (sink.tooLong)
            message = "应答超过" + std::to_string(kMaxAnswerBytes) + "字节";
        result.text = "xmlHttp-Send异常:" + message;
        return result;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.code = 1;
    result.status = status;
    if (status == 200)
        result.text = std::move(sink.body);
    return result;
}
