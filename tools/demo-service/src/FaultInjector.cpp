#include "tools/demo-service/src/FaultInjector.h"

#include <algorithm>

namespace demo {

namespace {

const char* ModeName(FaultMode mode) {
    switch (mode) {
        case FaultMode::kStatus:
            return "status";
        case FaultMode::kDelay:
            return "delay";
        case FaultMode::kDrop:
            return "drop";
    }
    return "status";
}

// An integer member, accepted as a JSON number or a decimal string (query forms).
bool ReadInt(const Json& j, const char* key, int& out, std::string& error) {
    if (!j.contains(key))
        return true;
    const Json& v = j[key];
    if (v.is_number_integer()) {
        const auto n = v.get<long long>();
        if (n < -2147483647LL || n > 2147483647LL) {
            error = std::string(key) + " is out of range";
            return false;
        }
        out = static_cast<int>(n);
        return true;
    }
    if (v.is_string()) {
        try {
            std::size_t used = 0;
            const std::string text = v.get<std::string>();
            out = std::stoi(text, &used);
            if (used == text.size())
                return true;
        } catch (const std::exception&) {
        }
    }
    error = std::string(key) + " is not an integer";
    return false;
}

}  // namespace

std::optional<FaultRule> FaultInjector::ParseRule(const Json& j, std::string& error) {
    if (!j.is_object()) {
        error = "a fault is a JSON object";
        return std::nullopt;
    }
    FaultRule rule;
    if (!j.contains("path") || !j["path"].is_string() || j["path"].get<std::string>().empty()) {
        error = "path is missing";
        return std::nullopt;
    }
    rule.path = j["path"].get<std::string>();
    if (j.contains("match")) {
        if (!j["match"].is_string()) {
            error = "match is not a string";
            return std::nullopt;
        }
        rule.match = j["match"].get<std::string>();
    }
    const std::string mode = j.contains("mode") && j["mode"].is_string()
                                 ? j["mode"].get<std::string>()
                                 : std::string("status");
    if (mode == "status") {
        rule.mode = FaultMode::kStatus;
    } else if (mode == "delay") {
        rule.mode = FaultMode::kDelay;
    } else if (mode == "drop") {
        rule.mode = FaultMode::kDrop;
    } else {
        error = "mode is not status, delay or drop";
        return std::nullopt;
    }
    if (!ReadInt(j, "status", rule.status, error) || !ReadInt(j, "delayMs", rule.delayMs, error) ||
        !ReadInt(j, "count", rule.count, error))
        return std::nullopt;
    if (rule.status < 100 || rule.status > 599) {
        error = "status is not between 100 and 599";
        return std::nullopt;
    }
    if (rule.delayMs < 0 || rule.delayMs > kMaxDelayMs) {
        error = "delayMs is not between 0 and " + std::to_string(kMaxDelayMs);
        return std::nullopt;
    }
    if (rule.count < 0) {
        error = "count is negative";
        return std::nullopt;
    }
    return rule;
}

Json FaultInjector::ToJson(const FaultRule& r) {
    return Json{{"id", r.id},         {"path", r.path},
                {"match", r.match},   {"mode", ModeName(r.mode)},
                {"status", r.status}, {"delayMs", r.delayMs},
                {"count", r.count},   {"hits", r.hits}};
}

int FaultInjector::add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rule.id = nextId_++;
    rule.hits = 0;
    rules_.push_back(rule);
    return rule.id;
}

bool FaultInjector::remove(int id) {
    std::lock_guard lock(mutex_);
    const auto it =
        std::find_if(rules_.begin(), rules_.end(), [id](const FaultRule& r) { return r.id == id; });
    if (it == rules_.end())
        return false;
    rules_.erase(it);
    return true;
}

void FaultInjector::clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::vector<FaultRule> FaultInjector::rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

std::optional<FaultRule> FaultInjector::take(std::string_view path, std::string_view target) {
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->path != "*" && it->path != path)
            continue;
        if (!it->match.empty() && target.find(it->match) == std::string_view::npos)
            continue;
        ++it->hits;
        FaultRule used = *it;
        if (it->count > 0 && --it->count == 0)
            rules_.erase(it);
        return used;
    }
    return std::nullopt;
}

}  // namespace demo
