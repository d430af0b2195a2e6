// What the terminal is sent and how fast keys are decoded: bytes for a whole main-screen
// frame and for a one-cell change, the time to encode them, and decoder throughput.
#include <benchmark/benchmark.h>

#include <string>

#include "console/console_screen.h"
#include "console/frame_encoder.h"
#include "console/headless_backend.h"
#include "console/key_decoder.h"

namespace orvenda {
namespace {

// A screen in the main screen's colours: a white panel, blue text, light red hot letters,
// the blue label strip and the light blue value strip with its green cursor cell.
CellGrid mainScreenLike() {
  HeadlessBackend backend;
  ConsoleScreen con(backend);
  con.setConsoleColours(0xF1);
  con.setWindow(1, 1, 80, 25);
  con.setTextBackground(143);
  con.setTextColor(129);
  con.clearWindow();
  con.writeText(" Orvenda   NAMES\\untitled");
  con.setWindow(5, 9, 80, 25);
  con.writeText(
      "Open\n\rSave\n\rRead/Print\n\rName\n\rChart for Now\n\r\n\r\n\r\n\rF1-Help\n\r"
      "F4-About\n\r\n\rEsc-Exit");
  con.setTextColor(140);
  con.moveCursor(1, 1);
  con.writeText("O\n\rS\n\rR\n\rN");
  con.setWindow(40, 9, 80, 25);
  con.setTextColor(129);
  con.writeText(
      "Configuration Settings\n\r\n\rAspects\n\rPlanets\n\rBorderline:\n\r"
      "Zodiac Rulers Always:\n\rBorderline Interpretation:\n\rChange Rulers:");
  for (int i = 0; i < 14; ++i) {
    const int x = 5 + 5 * i;
    con.setWindow(x, 3, x + 4, 3);
    con.setTextBackground(1);
    con.setTextColor(1);
    con.clearWindow();
    con.setTextColor(15);
    con.writeFormatted("%4s", "Day");
    con.setWindow(x, 4, x + 4, 4);
    con.setTextBackground(i == 0 ? 2 : 137);
    con.setTextColor(i == 0 ? 2 : 137);
    con.clearWindow();
    con.setTextColor(i == 0 ? 15 : 143);
    con.writeFormatted("%4d", 1970 + i);
  }
  return con.grid();
}

void BM_FullFrame(benchmark::State& state) {
  const CellGrid g = mainScreenLike();
  std::string out;
  for (auto _ : state) {
    FrameEncoder enc;
    out.clear();
    enc.encode(ConsoleFrame{g, {80, 1}, false, 0xF1}, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_FullFrame);

void BM_OneCellChange(benchmark::State& state) {
  CellGrid g = mainScreenLike();
  FrameEncoder enc;
  std::string out;
  enc.encode(ConsoleFrame{g, {80, 1}, false, 0xF1}, out);
  std::uint8_t digit = '0';
  for (auto _ : state) {
    digit = digit == '9' ? '0' : static_cast<std::uint8_t>(digit + 1);
    g.at(9, 4).ch = digit;
    out.clear();
    enc.encode(ConsoleFrame{g, {80, 1}, false, 0xF1}, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_OneCellChange);

// A field edit: the value cell under the cursor changes (four digits).
void BM_FieldEdit(benchmark::State& state) {
  CellGrid g = mainScreenLike();
  FrameEncoder enc;
  std::string out;
  enc.encode(ConsoleFrame{g, {80, 1}, false, 0xF1}, out);
  int year = 1970;
  for (auto _ : state) {
    year = year == 2100 ? 1900 : year + 1;
    const std::string digits = std::to_string(year);
    for (int k = 0; k < 4; ++k) g.at(6 + k, 4).ch = static_cast<std::uint8_t>(digits[k]);
    out.clear();
    enc.encode(ConsoleFrame{g, {80, 1}, false, 0xF1}, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_FieldEdit);

void BM_DecoderThroughput(benchmark::State& state) {
  std::string input;
  for (int i = 0; i < 100; ++i)
    input += "\x1b[A\x1b[1;5P\x1bOP\x1b[15;3~abc\xce\xb1\xcf\x89\r\x1b[[A\x1b\x1b[B";
  std::size_t keys = 0;
  for (auto _ : state) {
    KeyDecoder d;
    d.feed(input);
    while (d.hasEvent()) {
      benchmark::DoNotOptimize(d.nextEvent());
      ++keys;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
  state.counters["keys/s"] =
      benchmark::Counter(static_cast<double>(keys), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecoderThroughput);

}  // namespace
}  // namespace orvenda

BENCHMARK_MAIN();
