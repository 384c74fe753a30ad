// The parameters of a request's query, read from the raw request target.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace demo {

class QueryParams {
  public:
    // Most parameters one query may carry; the longest message has 19.
    static constexpr std::size_t kMaxParams = 256;

    // Splits the query of a raw request target ("/path?a=1&b=2") at "&" and "=", and
    // percent-decodes each key and value ("+" stays "+"). Raw bytes that need no decoding,
    // such as unencoded UTF-8, are kept. On a malformed escape or too many parameters, the
    // result holds the error text and no parameters.
    static QueryParams Parse(std::string_view target);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The value of the first parameter with this key (keys are case-sensitive).
    std::optional<std::string> get(std::string_view key) const;
    std::string value(std::string_view key) const { return get(key).value_or(std::string()); }
    // The value of a form-encoded parameter, where "+" stands for a space and "%2B" for "+".
    std::optional<std::string> getFormValue(std::string_view key) const;
    std::size_t size() const { return params_.size(); }

  private:
    struct Param {
        std::string key;
        std::string value;
        std::string rawValue;  // as in the target
    };
    std::vector<Param> params_;
    std::string error_;
};

// The query part of a raw request target, without the "?"; empty when there is none.
std::string_view QueryOf(std::string_view target);

}  // namespace demo
