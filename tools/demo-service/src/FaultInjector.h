// Faults that tests ask for: a path answers a given status, is delayed, or has its
// connection dropped, for the next N requests or until cleared. Thread-safe.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/demo-service/src/JsonText.h"

namespace demo {

enum class FaultMode { kStatus, kDelay, kDrop };

struct FaultRule {
    int id = 0;
    std::string path;   // the request path it applies to, or "*" for every path
    std::string match;  // if not empty, the raw request target must contain it
    FaultMode mode = FaultMode::kStatus;
    int status = 500;  // kStatus: the status answered
    int delayMs = 0;   // waited before the fault (any mode); kDelay then answers normally
    int count = 0;     // requests left; 0 means until cleared
    int hits = 0;
};

class FaultInjector {
  public:
    static constexpr int kMaxDelayMs = 120000;

    // Reads a rule from JSON members path, match, mode ("status", "delay", "drop"), status,
    // delayMs and count. Returns nothing with the error set when a member is wrong.
    static std::optional<FaultRule> ParseRule(const Json& j, std::string& error);
    static Json ToJson(const FaultRule& rule);

    int add(FaultRule rule);  // returns the rule's id
    bool remove(int id);
    void clear();
    std::vector<FaultRule> rules() const;

    // The first rule that applies to this request, counted as used; a rule whose count runs
    // out is removed.
    std::optional<FaultRule> take(std::string_view path, std::string_view target);

  private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
    int nextId_ = 1;
};

}  // namespace demo
