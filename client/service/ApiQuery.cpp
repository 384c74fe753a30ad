#include "client/service/ApiQuery.h"

#include "client/service/ApiSignature.h"

TApiQuery::TApiQuery(int messageCode, std::string firstKey, std::string firstValue)
    : code_(messageCode), firstKey_(std::move(firstKey)), firstValue_(std::move(firstValue)) {}

TApiQuery& TApiQuery::add(std::string key, std::string value) {
    further_.emplace_back(std::move(key), std::move(value));
    return *this;
}

TApiQuery& TApiQuery::add(std::string key, long long value) {
    return add(std::move(key), std::to_string(value));
}

std::string TApiQuery::signedText() const {
    return "M=" + std::to_string(code_) + "&" + firstKey_ + "=" + firstValue_;
}

std::string TApiQuery::signature() const {
    return Md5Hex(signedText());
}

std::string TApiQuery::query() const {
    std::string q = "KEY=" + signature() + "&M=" + std::to_string(code_) + "&" + firstKey_ + "=" +
                    PercentEncodeQueryValue(firstValue_);
    for (const auto& [key, value] : further_) {
        q += '&';
        q += key;
        q += '=';
        q += PercentEncodeQueryValue(value);
    }
    return q;
}

std::string TApiQuery::url(const std::string& host, int port) const {
    return ServiceBaseUrl(host, port) + "/api.aspx?" + query();
}

std::string ServiceBaseUrl(const std::string& host, int port) {
    return "http://" + host + ":" + std::to_string(port);
}

std::string BusId(int userId) {
    return std::to_string(userId).substr(0, 5);
}

std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
