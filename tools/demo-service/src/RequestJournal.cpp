#include "tools/demo-service/src/RequestJournal.h"

namespace demo {

long long RequestJournal::record(JournalEntry entry) {
    std::lock_guard lock(mutex_);
    entry.seq = ++lastSeq_;
    entries_.push_back(std::move(entry));
    if (entries_.size() > kCapacity)
        entries_.pop_front();
    return lastSeq_;
}

void RequestJournal::setStatus(long long seq, int status) {
    std::lock_guard lock(mutex_);
    if (entries_.empty() || seq < entries_.front().seq)
        return;
    const auto index = static_cast<std::size_t>(seq - entries_.front().seq);
    if (index < entries_.size())
        entries_[index].status = status;
}

std::vector<JournalEntry> RequestJournal::since(long long seq) const {
    std::lock_guard lock(mutex_);
    std::vector<JournalEntry> out;
    for (const auto& e : entries_)
        if (e.seq > seq)
            out.push_back(e);
    return out;
}

long long RequestJournal::lastSeq() const {
    std::lock_guard lock(mutex_);
    return lastSeq_;
}

void RequestJournal::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

Json RequestJournal::ToJson(const JournalEntry& e) {
    Json headers = Json::array();
    for (const auto& [name, value] : e.headers)
        headers.push_back(Json::array({name, value}));
    return Json{{"seq", e.seq},       {"time", e.time},         {"remote", e.remote},
                {"method", e.method}, {"target", e.target},     {"path", e.path},
                {"headers", headers}, {"bodySize", e.bodySize}, {"bodyMd5", e.bodyMd5},
                {"status", e.status}};
}

}  // namespace demo
