#include "client/numberrules/PrefixIndex.h"

#include <algorithm>

TPrefixIndex::TPrefixIndex(const std::vector<std::string_view>& codes) {
    std::size_t total = 0;
    for (std::string_view code : codes) {
        total += code.size();
    }
    // The arena must not reallocate once keys point into it.
    arena_.reserve(total);
    firstPosition_.reserve(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        std::string_view code = codes[i];
        if (code.empty() || firstPosition_.contains(code)) {
            continue;  // a later duplicate never wins over the earlier one
        }
        std::size_t start = arena_.size();
        arena_.append(code);
        firstPosition_.emplace(std::string_view(arena_).substr(start, code.size()),
                               static_cast<std::uint32_t>(i));
        lengths_.push_back(static_cast<std::uint32_t>(code.size()));
    }
    std::sort(lengths_.begin(), lengths_.end());
    lengths_.erase(std::unique(lengths_.begin(), lengths_.end()), lengths_.end());
}

long TPrefixIndex::FirstMatch(std::string_view text) const {
    long best = -1;
    for (std::uint32_t length : lengths_) {
        if (length > text.size()) {
            break;
        }
        auto found = firstPosition_.find(text.substr(0, length));
        if (found != firstPosition_.end() && (best < 0 || found->second < best)) {
            best = found->second;
        }
    }
    return best;
}
