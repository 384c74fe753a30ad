#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileIo.h"
#include "platform/Text.h"

namespace platform {

namespace {

// Serialises read-modify-write cycles within the process.
std::mutex g_writeMutex;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

enum class ReadResult { Ok, Missing, Unusable };

// Reads the whole file; refuses files over the size limit and anything that is
// not a regular file.
ReadResult ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unusable;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > kMaxProfileFileSize) {
        close(fd);
        return ReadResult::Unusable;
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    close(fd);
    return ReadResult::Ok;
}

std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// "[name]" gives name; anything else gives nothing.
std::optional<std::string> SectionName(std::string_view line) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

// "key=value" gives (key, value), both trimmed.
bool KeyValue(std::string_view line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = Trim(line.substr(0, eq));
    if (key.empty() || key.front() == ';' || key.front() == '#')
        return false;
    value = Trim(line.substr(eq + 1));
    return true;
}

std::optional<std::string> FindValue(std::string_view content, const std::string& section,
                                     const std::string& key) {
    bool inSection = false;
    std::string k, v;
    for (std::string_view line : SplitLines(content)) {
        if (auto name = SectionName(line)) {
            inSection = EqualsNoCase(*name, section);
            continue;
        }
        if (inSection && KeyValue(line, k, v) && EqualsNoCase(k, key))
            return v;
    }
    return std::nullopt;
}

// A value is one line: line breaks inside it would inject keys.
std::string SingleLine(const std::string& value) {
    std::string out = value;
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// Writes the new content beside the file and renames it over the file.
bool ReplaceFile(const std::string& path, const std::string& content, mode_t mode) {
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    fchmod(fd, mode);
    const bool ok = WriteAll(fd, content) && fsync(fd) == 0;
    if (close(fd) != 0 || !ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    std::string content;
    if (ReadWholeFile(path, content) != ReadResult::Ok)
        return defaultValue;
    auto v = FindValue(content, section, key);
    return v ? *v : defaultValue;
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue) {
    std::string content;
    if (ReadWholeFile(path, content) != ReadResult::Ok)
        return defaultValue;
    auto v = FindValue(content, section, key);
    return v ? StrToIntDef(*v, defaultValue) : defaultValue;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (path.empty() || section.empty() || key.empty())
        return false;
    std::lock_guard lock(g_writeMutex);
    std::string content;
    mode_t mode = 0600;
    switch (ReadWholeFile(path, content)) {
        case ReadResult::Ok: {
            struct stat st {};
            if (stat(path.c_str(), &st) == 0)
                mode = st.st_mode & 07777;
            break;
        }
        case ReadResult::Missing:
            break;
        case ReadResult::Unusable:
            return false;  // keep what is there
    }
    const std::string eol = content.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string newLine = key + "=" + SingleLine(value);

    std::string out;
    out.reserve(content.size() + newLine.size() + section.size() + 8);
    bool inSection = false, sectionSeen = false, written = false;
    std::size_t insertAt = std::string::npos;  // after the section's last non-blank line
    auto insertNewKey = [&] {
        out.insert(insertAt, newLine + eol);
        written = true;
    };
    std::string k, v;
    for (std::string_view line : SplitLines(content)) {
        if (auto name = SectionName(line)) {
            if (inSection && !written)
                insertNewKey();
            inSection = !written && EqualsNoCase(*name, section);
            sectionSeen = sectionSeen || inSection;
            out.append(line);
            out += eol;
            if (inSection)
                insertAt = out.size();
            continue;
        }
        if (inSection && !written && KeyValue(line, k, v) && EqualsNoCase(k, key)) {
            out += newLine + eol;
            written = true;
            continue;
        }
        out.append(line);
        out += eol;
        if (inSection && !Trim(line).empty())
            insertAt = out.size();
    }
    if (!written) {
        if (sectionSeen) {
            insertNewKey();
        } else {
            if (!out.empty())
                out += eol;
            out += "[" + section + "]" + eol + newLine + eol;
        }
    }
    return ReplaceFile(path, out, mode);
}

bool WriteProfileInt(const std::string& path, const std::string& section, const std::string& key,
                     int value) {
    return WriteProfileString(path, section, key, std::to_string(value));
}

}  // namespace platform
