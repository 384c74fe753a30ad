#include "tools/demo-service/src/MultipartBody.h"

#include <algorithm>
#include <cctype>

namespace demo {

namespace {

constexpr std::size_t kMaxDelimiterLength = 200;
constexpr std::size_t kMaxPartHeaderBytes = 8192;

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The boundary parameter of a Content-Type, without quotes; empty when there is none.
std::string BoundaryOf(std::string_view contentType) {
    const std::string lower = Lower(contentType);
    const auto pos = lower.find("boundary=");
    if (pos == std::string::npos)
        return {};
    std::string_view value = contentType.substr(pos + 9);
    value = value.substr(0, value.find(';'));
    value = TrimSpaces(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Reads name="..." and filename="..." from a Content-Disposition value. A filename runs to the
// last quote of the line, since the client does not escape quotes inside a local path.
void ReadDisposition(std::string_view value, MultipartPart& part) {
    const std::string lower = Lower(value);
    const auto filePos = lower.find("filename=\"");
    for (std::size_t from = 0;;) {
        const auto namePos = lower.find("name=\"", from);
        if (namePos == std::string::npos)
            break;
        if (namePos >= 4 && lower.compare(namePos - 4, 4, "file") == 0) {
            from = namePos + 6;
            continue;
        }
        const auto start = namePos + 6;
        const auto end = value.find('"', start);
        if (end != std::string_view::npos)
            part.name = std::string(value.substr(start, end - start));
        break;
    }
    if (filePos != std::string::npos) {
        const auto start = filePos + 10;
        const auto end = value.rfind('"');
        if (end != std::string_view::npos && end >= start) {
            part.fileName = std::string(value.substr(start, end - start));
            part.hasFileName = true;
        }
    }
}

bool ReadPartHeaders(std::string_view headers, MultipartPart& part, std::string& error) {
    while (!headers.empty()) {
        const auto eol = headers.find("\r\n");
        const std::string_view line = headers.substr(0, eol);
        headers = eol == std::string_view::npos ? std::string_view() : headers.substr(eol + 2);
        if (line.empty())
            continue;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            error = "part header line without a colon";
            return false;
        }
        const std::string name = Lower(TrimSpaces(line.substr(0, colon)));
        const std::string_view value = TrimSpaces(line.substr(colon + 1));
        if (name == "content-disposition")
            ReadDisposition(value, part);
        if (name == "content-type")
            part.contentType = std::string(value);
    }
    return true;
}

}  // namespace

const MultipartPart* MultipartBody::find(std::string_view name) const {
    for (const auto& p : parts)
        if (p.name == name)
            return &p;
    return nullptr;
}

MultipartBody ParseMultipartBody(std::string_view contentType, std::string_view body) {
    MultipartBody result;
    auto fail = [&result](std::string text) {
        result.parts.clear();
        result.error = std::move(text);
        return result;
    };

    std::string delimiter;
    const std::string boundary = BoundaryOf(contentType);
    if (!boundary.empty()) {
        delimiter = "--" + boundary;
    } else {
        const auto eol = body.find("\r\n");
        if (eol == std::string_view::npos || eol > kMaxDelimiterLength)
            return fail("no boundary parameter and no delimiter line at the start of the body");
        delimiter = std::string(body.substr(0, eol));
    }
    if (delimiter.size() < 3 || delimiter.compare(0, 2, "--") != 0 ||
        delimiter.size() > kMaxDelimiterLength)
        return fail("the delimiter \"" + delimiter.substr(0, 64) +
                    "\" is not a multipart delimiter");

    std::size_t pos;
    if (body.substr(0, delimiter.size()) == delimiter) {
        pos = delimiter.size();
    } else {
        const auto first = body.find("\r\n" + delimiter);
        if (first == std::string_view::npos)
            return fail("the body holds no delimiter");
        pos = first + 2 + delimiter.size();
    }
    const std::string separator = "\r\n" + delimiter;
    for (;;) {
        if (body.substr(pos, 2) == "--")
            return result;  // closing delimiter
        if (body.substr(pos, 2) != "\r\n")
            return fail("a delimiter is not followed by a line break");
        pos += 2;
        const auto headersEnd = body.find("\r\n\r\n", pos);
        if (headersEnd == std::string_view::npos || headersEnd - pos > kMaxPartHeaderBytes)
            return fail("a part has no end of its headers");
        if (result.parts.size() >= kMaxMultipartParts)
            return fail("more than " + std::to_string(kMaxMultipartParts) + " parts");
        MultipartPart part;
        std::string error;
        if (!ReadPartHeaders(body.substr(pos, headersEnd - pos), part, error))
            return fail(error);
        const auto contentStart = headersEnd + 4;
        const std::size_t next = body.find(separator, contentStart);
        if (next == std::string_view::npos)
            return fail("a part is not closed by a delimiter");
        part.content = body.substr(contentStart, next - contentStart);
        result.parts.push_back(std::move(part));
        pos = next + separator.size();
    }
}

}  // namespace demo
