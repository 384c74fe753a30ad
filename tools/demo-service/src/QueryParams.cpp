#include "tools/demo-service/src/QueryParams.h"

#include "client/service/ApiSignature.h"

namespace demo {

std::string_view QueryOf(std::string_view target) {
    const auto question = target.find('?');
    if (question == std::string_view::npos)
        return {};
    auto query = target.substr(question + 1);
    const auto fragment = query.find('#');
    if (fragment != std::string_view::npos)
        query = query.substr(0, fragment);
    return query;
}

QueryParams QueryParams::Parse(std::string_view target) {
    QueryParams result;
    std::string_view rest = QueryOf(target);
    while (!rest.empty()) {
        const auto amp = rest.find('&');
        const std::string_view item = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (item.empty())
            continue;
        if (result.params_.size() >= kMaxParams) {
            result.params_.clear();
            result.error_ = "more than " + std::to_string(kMaxParams) + " parameters";
            return result;
        }
        const auto eq = item.find('=');
        const std::string_view rawKey = item.substr(0, eq);
        const std::string_view rawValue =
            eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        std::string key, value;
        if (!PercentDecode(rawKey, key) || !PercentDecode(rawValue, value)) {
            result.params_.clear();
            result.error_ = "malformed percent escape in parameter \"" +
                            std::string(rawKey.substr(0, 64)) + "\"";
            return result;
        }
        result.params_.push_back({std::move(key), std::move(value), std::string(rawValue)});
    }
    return result;
}

std::optional<std::string> QueryParams::get(std::string_view key) const {
    for (const auto& p : params_)
        if (p.key == key)
            return p.value;
    return std::nullopt;
}

std::optional<std::string> QueryParams::getFormValue(std::string_view key) const {
    for (const auto& p : params_) {
        if (p.key != key)
            continue;
        std::string spaced = p.rawValue;
        for (auto& c : spaced)
            if (c == '+')
                c = ' ';
        std::string decoded;
        PercentDecode(spaced, decoded);  // it decoded once already, in Parse
        return decoded;
    }
    return std::nullopt;
}

}  // namespace demo
