// The signature of service API requests and the encoding of query values.
#pragma once

#include <string>
#include <string_view>

// MD5 of the text's bytes as 32 upper-case hexadecimal digits.
std::string Md5Hex(std::string_view text);

// Percent-encodes a query value as UTF-8 per RFC 3986: unreserved characters
// (A-Z a-z 0-9 - . _ ~) stay as they are, every other byte becomes %XX.
std::string PercentEncodeQueryValue(std::string_view value);

// Decodes %XX escapes ("+" stays "+"). Returns false on a malformed escape.
bool PercentDecode(std::string_view text, std::string& out);
