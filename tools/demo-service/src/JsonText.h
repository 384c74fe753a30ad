// JSON text of an answer. Values may come from request bytes that are not valid UTF-8; those
// are written with U+FFFD instead of failing.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace demo {

using Json = nlohmann::ordered_json;

inline std::string DumpJson(const Json& j) {
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace demo
