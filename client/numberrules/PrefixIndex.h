// Finds, among codes kept in file order, the first one a text begins with,
// without scanning the codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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
    std::string arena_;  // every distinct code once, so the keys outlive the lists' moves
    std::unordered_map<std::string_view, std::uint32_t> firstPosition_;
    std::vector<std::uint32_t> lengths_;  // distinct code lengths, ascending
};
