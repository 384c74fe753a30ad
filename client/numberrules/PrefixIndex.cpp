#include "client/numberrules/PrefixIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace {
std::size_t HashOf(std::string_view code) {
    return std::hash<std::string_view>{}(code);
}
}  // namespace

TPrefixIndex::TPrefixIndex(const std::vector<std::string_view>& codes) {
    // At most half full, so that probe runs stay short.
    slots_.resize(std::bit_ceil(std::max<std::size_t>(2 * codes.size(), 8)));
    mask_ = slots_.size() - 1;
    std::size_t total = 0;
    for (std::string_view code : codes) {
        total += code.size();
    }
    arena_.reserve(total);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::string_view code = codes[i];
        if (code.empty() || code.size() > UINT32_MAX) {
            continue;
        }
        const std::size_t hash = HashOf(code);
        std::size_t at = hash & mask_;
        bool known = false;
        for (; slots_[at].Length != 0; at = (at + 1) & mask_) {
            const TSlot& slot = slots_[at];
            if (slot.Hash == hash && slot.Length == code.size() &&
                std::memcmp(arena_.data() + slot.Offset, code.data(), code.size()) == 0) {
                known = true;  // a later duplicate never wins over the earlier one
                break;
            }
        }
        if (known) {
            continue;
        }
        slots_[at] = TSlot{hash, arena_.size(), static_cast<std::uint32_t>(code.size()),
                           static_cast<std::uint32_t>(i)};
        arena_.append(code);
        lengths_.push_back(static_cast<std::uint32_t>(code.size()));
    }
    std::sort(lengths_.begin(), lengths_.end());
    lengths_.erase(std::unique(lengths_.begin(), lengths_.end()), lengths_.end());
}

const TPrefixIndex::TSlot* TPrefixIndex::Find(std::string_view code, std::size_t hash) const {
    for (std::size_t at = hash & mask_; slots_[at].Length != 0; at = (at + 1) & mask_) {
        const TSlot& slot = slots_[at];
        if (slot.Hash == hash && slot.Length == code.size() &&
            std::memcmp(arena_.data() + slot.Offset, code.data(), code.size()) == 0) {
            return &slot;
        }
    }
    return nullptr;
}

long TPrefixIndex::FirstMatch(std::string_view text) const {
    long best = -1;
    for (std::uint32_t length : lengths_) {
        if (length > text.size()) {
            break;
        }
        const std::string_view prefix = text.substr(0, length);
        const TSlot* slot = Find(prefix, HashOf(prefix));
        if (slot != nullptr && (best < 0 || slot->Position < best)) {
            best = slot->Position;
        }
    }
    return best;
}
