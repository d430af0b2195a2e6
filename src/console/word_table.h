// Fixed tables of NUL-terminated words in slots of a fixed size, picked by a setting's
// value, built from UTF-8 literals at compile time. A value outside the table picks
// nothing and reads nothing outside it.
#pragma once

#include <cstddef>

#include "console/cp737.h"

namespace orvenda {

template <std::size_t Slot, std::size_t Count>
struct WordTable {
  char slots[Count][Slot]{};
  static constexpr std::size_t size() { return Count; }
  constexpr const char* at(long long value) const {
    return value >= 0 && value < static_cast<long long>(Count) ? slots[value] : "";
  }
};

// wordTable<10>("Γνωστή", "Αγνωστη"): each word in CP737, each within its slot.
template <std::size_t Slot, std::size_t... N>
consteval WordTable<Slot, sizeof...(N)> wordTable(const char (&... words)[N]) {
  WordTable<Slot, sizeof...(N)> table;
  std::size_t i = 0;
  auto put = [&](const auto& word) {
    const auto text = toCp737(word);
    if (text.length >= Slot) throw "a word longer than its slot";
    for (std::size_t k = 0; k < text.length; ++k) table.slots[i][k] = text.bytes[k];
    ++i;
  };
  (put(words), ...);
  return table;
}

}  // namespace orvenda
