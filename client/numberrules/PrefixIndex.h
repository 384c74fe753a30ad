// Finds, among codes kept in file order, the first one a text begins with,
// without scanning the codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TPrefixIndex {
  public:
    // Takes the codes in file order. Empty codes are kept for their position
    // but match nothing.
    explicit TPrefixIndex(const std::vector<std::string_view>& codes);

    // Position (from 0) of the first code in file order that text begins
    // with, or -1 when none does.
    long FirstMatch(std::string_view text) const;

  private:
    // One distinct code: where it lies in the arena and its first position.
    struct TSlot {
        std::size_t Hash = 0;
        std::size_t Offset = 0;
        std::uint32_t Length = 0;  // 0: the slot is free
        std::uint32_t Position = 0;
    };

    const TSlot* Find(std::string_view code, std::size_t hash) const;

    std::string arena_;                   // every distinct code once, end to end
    std::vector<TSlot> slots_;            // open addressing, linear probing
    std::size_t mask_ = 0;                // slots_.size() - 1, a power of two less one
    std::vector<std::uint32_t> lengths_;  // distinct code lengths, ascending
};
