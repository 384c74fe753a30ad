#include "client/service/JsonField.h"

std::string GetJsonField(std::string_view answer, std::string_view key) {
    if (answer.size() > 2)
        answer = answer.substr(1, answer.size() - 2);
    std::string pattern;
    pattern.reserve(key.size() + 3);
    pattern += '"';
    pattern += key;
    pattern += "\":";
    const std::size_t at = answer.find(pattern);
    if (at == std::string_view::npos)
        return std::string();
    std::string_view rest = answer.substr(at + pattern.size());
    const std::size_t comma = rest.find(',');
    if (comma != std::string_view::npos)
        rest = rest.substr(0, comma);
    return std::string(rest);
}
