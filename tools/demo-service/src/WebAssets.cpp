#include "tools/demo-service/src/WebAssets.h"

#include "client/webhost/PageBridgeProtocol.h"

namespace demo {

namespace {

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (auto pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + with.size()))
        text.replace(pos, what.size(), with);
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

std::optional<std::string> WebFileText(std::string_view name) {
    for (const auto& file : EmbeddedWebFiles()) {
        if (name != file.name)
            continue;
        std::string text(file.data, file.size);
        ReplaceAll(text, "@SENTINEL_HOST@", webhost::kPageBridgeSentinelHost);
        ReplaceAll(text, "@ACTION_PATH@", webhost::kPageBridgeActionPath);
        return text;
    }
    return std::nullopt;
}

std::string ContentTypeOf(std::string_view name) {
    if (EndsWith(name, ".html"))
        return "text/html; charset=utf-8";
    if (EndsWith(name, ".js"))
        return "text/javascript; charset=utf-8";
    if (EndsWith(name, ".css"))
        return "text/css; charset=utf-8";
    if (EndsWith(name, ".json"))
        return "application/json; charset=utf-8";
    if (EndsWith(name, ".mp3"))
        return "audio/mpeg";
    return "application/octet-stream";
}

}  // namespace demo
