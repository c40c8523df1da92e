#pragma once

#include <QStringView>
#include <array>
#include <cstddef>

// The agent's keyword tables (commands, their arguments, named keys) are arrays of entries with a
// `name`; the first entry whose name is the word, compared whole and case-sensitively, decides.
// Nothing for a word no entry has.
template <typename Entry, std::size_t N>
[[nodiscard]] constexpr const Entry* FindKeyword(const std::array<Entry, N>& table,
                                                 QStringView word) {
  for (const Entry& entry : table) {
    if (word == entry.name) {
      return &entry;
    }
  }
  return nullptr;
}
