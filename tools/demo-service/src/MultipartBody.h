// A multipart/form-data body, split into its parts. Two forms are read: the standard one with
// a boundary parameter in the Content-Type, and the client's, whose Content-Type is exactly
// "multipart/form-data" and whose delimiter is the body's first line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

struct MultipartPart {
    std::string name;      // the form field name of Content-Disposition
    std::string fileName;  // its filename, as sent (may be a full path)
    bool hasFileName = false;
    std::string contentType;
    std::string_view content;  // points into the body that was parsed
};

struct MultipartBody {
    std::vector<MultipartPart> parts;
    std::string error;  // empty when the body was read
    bool ok() const { return error.empty(); }
    const MultipartPart* find(std::string_view name) const;
};

inline constexpr std::size_t kMaxMultipartParts = 64;

// body must outlive the result: the parts' contents point into it.
MultipartBody ParseMultipartBody(std::string_view contentType, std::string_view body);

}  // namespace demo
