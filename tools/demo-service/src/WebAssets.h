// The files of tools/demo-service/web, embedded in the program at build time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

struct EmbeddedFile {
    const char* name;
    const char* data;
    std::size_t size;
};

// Generated at build time.
const std::vector<EmbeddedFile>& EmbeddedWebFiles();

// A web file's content with the page bridge's placeholders filled in: "@SENTINEL_HOST@" and
// "@ACTION_PATH@". Nothing when there is no file of that name.
std::optional<std::string> WebFileText(std::string_view name);

// "text/html; charset=utf-8" and the like, by file extension.
std::string ContentTypeOf(std::string_view name);

}  // namespace demo
