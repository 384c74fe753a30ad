#include "tools/demo-service/src/RecordingStore.h"

#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace demo {

namespace {

// A file name made only of characters that are safe everywhere.
std::string SafeFileStem(std::string_view vocId) {
    std::string out;
    for (unsigned char c : vocId) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '{' || c == '}';
        out += safe ? static_cast<char>(c) : '_';
    }
    return out.substr(0, 120);
}

}  // namespace

std::string_view BaseNameOf(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string VocIdOfFileName(std::string_view path) {
    const std::string_view name = BaseNameOf(path);
    const auto underscore = name.find('_');
    if (underscore == std::string_view::npos)
        return {};
    return std::string(name.substr(0, underscore));
}

std::optional<std::string> RecordingStore::save(const std::string& vocId, std::string_view content,
                                                std::string& error) const {
    namespace fs = std::filesystem;
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        error = "cannot create " + folder_ + ": " + ec.message();
        return std::nullopt;
    }
    const fs::path target = fs::path(folder_) / (SafeFileStem(vocId) + ".mp3");
    const fs::path temp = fs::path(folder_) / (".upload-" + std::to_string(getpid()) + "-" +
                                               std::to_string(++counter) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp.string();
            fs::remove(temp, ec);
            return std::nullopt;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot store " + target.string() + ": " + ec.message();
        fs::remove(temp, ec);
        return std::nullopt;
    }
    return target.string();
}

}  // namespace demo
