// Any byte stream, cut into reads at any points with any pauses, decodes without a crash,
// yields only codes that can be keys, and never holds more than one sequence's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "console/key_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orvenda::KeyDecoder d;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    // A 0xFF byte followed by a number stands for a pause of that many milliseconds.
    if (b == 0xFF && i + 1 < size) {
      d.elapsed(data[++i] % 40);
      continue;
    }
    d.feed(b);
    while (d.hasEvent()) {
      const orvenda::KeyEvent e = d.nextEvent();
      if (!e.extended && e.code == 0) std::abort();  // 0 would pass for the prefix
      if (e.extended && (e.code < 59 || e.code > 163)) std::abort();
    }
  }
  d.elapsed(orvenda::KeyDecoder::kEscapeTimeoutMs);
  while (d.hasEvent()) d.nextEvent();
  if (d.waiting()) std::abort();  // after a pause nothing may be left hanging
  return 0;
}
