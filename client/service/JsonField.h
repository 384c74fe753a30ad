// Taking single values out of the flat JSON-like answers of the service API.
#pragma once

#include <string>
#include <string_view>

// The raw text of `key` in `answer`: string values keep their quotes, a value
// ends at the first comma after it, and the first and last characters of an
// answer longer than 2 characters are dropped as the object's braces.
std::string GetJsonField(std::string_view answer, std::string_view key);
