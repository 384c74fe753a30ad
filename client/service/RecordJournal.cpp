#include "client/service/RecordJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::uint32_t Fnv1a(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string ChecksumOf(char kind, std::uint64_t id, const std::string& payload) {
    std::string covered;
    covered.reserve(payload.size() + 24);
    covered += kind;
    covered += ' ';
    covered += std::to_string(id);
    covered += ' ';
    covered += payload;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", Fnv1a(covered));
    return hex;
}

// Parses one line (without its "\n"); false when it is damaged.
bool ParseLine(const std::string& line, char& kind, std::uint64_t& id, std::string& payload) {
    if (line.size() < 2 || (line[0] != 'A' && line[0] != 'D') || line[1] != ' ')
        return false;
    kind = line[0];
    const std::size_t idEnd = line.find(' ', 2);
    if (idEnd == std::string::npos)
        return false;
    const std::size_t sumEnd = line.find(' ', idEnd + 1);
    if (sumEnd == std::string::npos || sumEnd - idEnd - 1 != 8)
        return false;
    const auto parsedId = platform::ParseInt64(std::string_view(line).substr(2, idEnd - 2));
    if (!parsedId || *parsedId <= 0)
        return false;
    id = static_cast<std::uint64_t>(*parsedId);
    payload = line.substr(sumEnd + 1);
    return line.compare(idEnd + 1, 8, ChecksumOf(kind, id, payload)) == 0;
}

}  // namespace

std::string TRecordJournal::FormatLine(char kind, std::uint64_t id, const std::string& payload) {
    std::string line;
    line.reserve(payload.size() + 32);
    line += kind;
    line += ' ';
    line += std::to_string(id);
    line += ' ';
    line += ChecksumOf(kind, id, payload);
    line += ' ';
    line += payload;
    line += '\n';
    return line;
}

TRecordJournal::TRecordJournal(std::string path, bool syncEachAppend)
    : path_(std::move(path)), syncEachAppend_(syncEachAppend) {
    if (!syncEachAppend_)
        flusher_ = std::thread([this] { FlushLoop(); });
}

TRecordJournal::~TRecordJournal() {
    StopFlusher();
    Close(false);
}

void TRecordJournal::FlushLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        flushWanted_.wait(lock, [this] { return dirty_ || stopFlusher_; });
        if (!dirty_)
            return;
        dirty_ = false;
        // Sync a duplicate so appends go on while the device flushes.
        const int fd = fd_ >= 0 ? ::dup(fd_) : -1;
        lock.unlock();
        const bool ok = fd < 0 || ::fdatasync(fd) == 0;  // closed meanwhile: nothing to sync
        if (fd >= 0)
            ::close(fd);
        lock.lock();
        if (!ok)
            syncFailed_ = true;
    }
}

void TRecordJournal::StopFlusher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopFlusher_ = true;
    }
    flushWanted_.notify_all();
    if (flusher_.joinable())
        flusher_.join();
}

bool TRecordJournal::Healthy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !syncFailed_;
}

TJournalReplay TRecordJournal::Replay(const std::string& path) {
    TJournalReplay replay;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        replay.error = ErrnoText("打开失败 " + path);
        return replay;
    }
    std::vector<TJournalEntry> added;
    std::unordered_set<std::uint64_t> delivered;
    std::string line;
    while (true) {
        if (!std::getline(in, line))
            break;
        if (in.eof()) {
            // The last line lacks its "\n": a write that did not finish.
            if (!line.empty())
                ++replay.damagedLines;
            break;
        }
        char kind = 0;
        std::uint64_t id = 0;
        std::string payload;
        if (!ParseLine(line, kind, id, payload)) {
            ++replay.damagedLines;
            continue;
        }
        if (id > replay.maxId)
            replay.maxId = id;
        if (kind == 'A') {
            added.push_back({id, std::move(payload)});
        } else {
            delivered.insert(id);
        }
    }
    if (in.bad()) {
        replay.error = ErrnoText("读取失败 " + path);
        return replay;
    }
    replay.opened = true;
    std::unordered_set<std::uint64_t> seen;
    for (auto& entry : added) {
        if (delivered.count(entry.id) || !seen.insert(entry.id).second)
            continue;
        replay.pending.push_back(std::move(entry));
    }
    return replay;
}

bool TRecordJournal::Rewrite(const std::vector<TJournalEntry>& entries, std::string& error) {
    std::string content;
    for (const auto& entry : entries)
        content += FormatLine('A', entry.id, entry.payload);
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!WriteFileAtomically(path_, content, error))
        return false;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0) {
        error = ErrnoText("打开失败 " + path_);
        return false;
    }
    size_ = static_cast<long long>(content.size());
    syncFailed_ = false;
    return true;
}

bool TRecordJournal::OpenForAppend(std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0)
        return true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error = ErrnoText("打开失败 " + path_);
        return false;
    }
    struct stat st {};
    size_ = ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    return true;
}

bool TRecordJournal::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fd_ >= 0;
}

bool TRecordJournal::AppendLine(const std::string& line, bool sync, std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) {
        error = "日志文件未打开 " + path_;
        return false;
    }
    if (!platform::WriteAll(fd_, line) || (sync && ::fdatasync(fd_) != 0)) {
        error = ErrnoText("写入失败 " + path_);
        // Cut a partial line away so the next line starts clean.
        if (::ftruncate(fd_, size_) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    }
    size_ += static_cast<long long>(line.size());
    if (!sync) {
        dirty_ = true;
        flushWanted_.notify_one();
    }
    return true;
}

bool TRecordJournal::AppendAdded(std::uint64_t id, const std::string& payload, std::string& error) {
    return AppendLine(FormatLine('A', id, payload), syncEachAppend_ || !flusher_.joinable(), error);
}

bool TRecordJournal::AppendDelivered(std::uint64_t id, std::string& error) {
    return AppendLine(FormatLine('D', id, std::string()), true, error);
}

bool TRecordJournal::Truncate(std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0)
        return false;
    if (::ftruncate(fd_, 0) != 0 || ::fdatasync(fd_) != 0) {
        error = ErrnoText("截断失败 " + path_);
        return false;
    }
    size_ = 0;
    return true;
}

long long TRecordJournal::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return size_;
}

void TRecordJournal::Close(bool removeFile) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) {
        if (dirty_ && !removeFile)
            ::fdatasync(fd_);
        dirty_ = false;
        ::close(fd_);
        fd_ = -1;
    }
    if (removeFile && ::unlink(path_.c_str()) == 0)
        SyncParentFolder(path_);
}

void SyncParentFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = ErrnoText("创建失败 " + temp);
        return false;
    }
    if (!platform::WriteAll(fd, content) || ::fsync(fd) != 0) {
        error = ErrnoText("写入失败 " + temp);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        error = ErrnoText("写入失败 " + temp);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = ErrnoText("改名失败 " + path);
        ::unlink(temp.c_str());
        return false;
    }
    SyncParentFolder(path);
    return true;
}

std::string SetFileAside(const std::string& path, std::string& error) {
    const std::string stamp =
        platform::FormatDateTime("yyyymmddhhnnss", platform::ProcessClock().now());
    std::string aside = path + "." + stamp + ".bad";
    for (int n = 1; platform::FileExists(aside); ++n) {
        aside = path + "." + stamp + "_" + std::to_string(n) + ".bad";
    }
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        error = ErrnoText("改名失败 " + path);
        return std::string();
    }
    SyncParentFolder(path);
    return aside;
}
