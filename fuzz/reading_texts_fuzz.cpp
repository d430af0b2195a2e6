// An interpretation file is the astrologer's own text, edited by hand: any bytes are read
// into entries and problems, and every text the reading could take from them is whole
// UTF-8 with its {man|woman} choices made.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheet/reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orvenda::reading::TextLayer layer;
  orvenda::reading::parseTexts(std::string_view(reinterpret_cast<const char*>(data), size),
                               "fuzz.txt", layer);
  for (const auto& [key, entry] : layer.entries) {
    if (entry.text.empty()) __builtin_trap();  // an entry without text is reported, not kept
    for (int sex = 0; sex <= 2; ++sex) (void)orvenda::reading::withChoices(entry.text, sex);
    (void)orvenda::reading::firstSentence(entry.text);
  }
  return 0;
}
