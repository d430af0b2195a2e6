// Shared steps and the chart flows: save, save as untitled, load and show, notes.
#include "core/app.h"

#include <cstdlib>
#include <cstring>

#include "console/console_screen.h"
#include "core/main_screen.h"
#include "core/texts.h"
#include "external/shell_launcher.h"
#include "platform/clock.h"

namespace orvenda {

SheetSettings sheetSettings(const AppState& s) {
  return SheetSettings{s.chartName,
                       s.horoscopeLanguage,
                       s.sex,
                       s.timeMode,
                       s.borderlineDegrees,
                       s.zodiacRulersAlways,
                       s.borderlineInterpretation,
                       s.changeRulers};
}

App::App(Services services)
    : console(services.console),
      files(services.files),
      shell(services.shell),
      clock(services.clock),
      settings(services.files),
      charts(services.files),
      endProcess_(std::move(services.endProcess)) {}

void App::parkCursor() { console.setWindow(80, 1, 80, 1); }

void App::applyScreenColours() {
  shell.runCommand("color f1");
  shell.runCommand("cls");
}

void App::exitProgram() {
  shell.runCommand("color 07");
  shell.runCommand("cls");
  end(kExitNormal);
}

void App::end(int status) {
  endProcess_(status);
  std::abort();  // endProcess never comes back
}

void App::reportCantOpen() {
  static constexpr std::size_t kTextWidth = sizeof(kCantOpenMessage) - 3;  // without "\n\r"
  const TextWindow w = console.window();
  if (static_cast<std::size_t>(w.right - w.left + 1) >= kTextWidth) {
    // Text at a cursor left of the window (after a prompt's line) starts at its edge.
    const Position c = console.cursor();
    if (c.column < w.left && c.row >= w.top && c.row <= w.bottom)
      console.moveCursor(1, c.row - w.top + 1);
    // The rest of the message's row is blanked (short of the window's last column, where
    // a character would wrap), so that what stood there doesn't read as part of it.
    console.writeText(std::string_view(kCantOpenMessage, kTextWidth));
    const Position end = console.cursor();
    if (end.row >= w.top && end.row <= w.bottom && end.column < w.right)
      console.writeText(std::string(static_cast<std::size_t>(w.right - end.column), ' '));
    console.writeText("\n\r");
    console.readKey();
    console.clearWindow();
    return;
  }
  const CellGrid saved = console.grid();
  const TextAttribute attr = console.attribute();
  console.setWindow(1, 1, 80, 1);
  console.setTextBackground(143);
  console.setTextColor(130);
  console.clearWindow();
  console.writeText(std::string_view(kCantOpenMessage, kTextWidth));
  console.readKey();
  console.restoreCells(saved, TextWindow{1, 1, 80, 1});
  console.setWindow(w.left, w.top, w.right, w.bottom);
  console.setTextColor(attr);
  console.setTextBackground(attr >> 4);
}

bool App::readMainScreenSettings() {
  std::int32_t* targets[] = {&state.programLanguage,          &state.horoscopeLanguage,
                             &state.borderlineDegrees,        &state.zodiacRulersAlways,
                             &state.borderlineInterpretation, &state.changeRulers};
  for (std::size_t i = 0; i < kMainScreenSettings.size(); ++i) {
    if (!settings.read(kMainScreenSettings[i], *targets[i])) {
      reportCantOpen();
      return false;
    }
  }
  return true;
}

bool App::writeSetting(IntSetting setting, std::int32_t value) {
  if (settings.write(setting, value)) return true;
  reportCantOpen();
  return false;
}

FramePtr App::enterMainScreen() { return std::make_unique<MainScreen>(*this); }

FramePtr App::loadAndShow() { return loadAndShow(true); }

FramePtr App::loadAndShow(bool mayFallBack) {
  if (charts.read(state.chartPath, record)) return enterMainScreen();
  // No chart of that name: say so over the screen as it is, then keep what is in memory
  // as the chart "untitled".
  console.setWindow(1, 1, 80, 25);
  console.setTextColor(130);
  if (state.programLanguage == 0)
    console.writeText(texts::kNoFileEn);
  else if (state.programLanguage == 1)
    console.writeText(texts::kNoFileEl);
  console.readKey();
  // Once is enough: a chart just written that still can't be read must not start a loop.
  if (!mayFallBack) return nullptr;
  state.chartName = "untitled";
  return storeChart(false);
}

FramePtr App::saveUntitled() {
  state.chartPath = kChartFolder;
  state.chartName = "untitled";
  return storeChart(true);
}

FramePtr App::storeChart(bool mayFallBack) {
  state.chartPath = std::string(kChartFolder) + state.chartName;
  if (!charts.write(state.chartPath, record)) {
    reportCantOpen();
    return nullptr;
  }
  if (!charts.createNotes(state.chartPath)) reportCantOpen();
  state.chartPath = std::string(kChartFolder) + state.chartName;
  return loadAndShow(mayFallBack);
}

std::string App::askForName(const char* prompt, std::size_t capacity) {
  console.setWindow(5, 20, 80, 25);
  console.setTextBackground(143);
  console.setTextColor(129);
  console.writeText(prompt);
  // The buffer starts as the current name: end of input leaves it there.
  std::string line = state.chartName.substr(0, capacity - 1);
  line.resize(capacity);
  console.readLine(line.data(), capacity);
  line.resize(std::strlen(line.c_str()));
  return line;
}

FramePtr App::saveChart() {
  state.chartPath = kChartFolder;
  const std::string name = askForName(texts::kSavePrompt, 81);
  state.chartName = name.empty() ? "untitled" : name;
  return storeChart(true);
}

FramePtr App::openNotes() {
  if (state.chartPath.size() <= std::strlen(kChartFolder)) {
    console.setTextBackground(143);
    console.setTextColor(129);
    return loadAndShow();
  }
  state.chartPath += ".txt";
  // A name that would reach outside NAMES\ is never handed to the opener.
  if (chartPathAllowed(state.chartPath.substr(0, state.chartPath.size() - 4)))
    shell.runCommand("start " + state.chartPath);
  state.chartPath = std::string(kChartFolder) + state.chartName;
  return nullptr;
}

namespace {

void appendField(std::string& out, const char* prefix, std::int32_t value) {
  out += prefix;
  if (value >= 0 && value <= 9) out += '0';
  out += std::to_string(value);
}

}  // namespace

std::string birthSummary(const BirthRecord& r, int horoscopeLanguage) {
  if (horoscopeLanguage != 0 && horoscopeLanguage != 1) return {};
  const texts::SummaryLabels& l = horoscopeLanguage == 0 ? texts::kSummaryEn : texts::kSummaryEl;
  std::string out;
  appendField(out, l.date, r.day);
  appendField(out, "/", r.month);
  appendField(out, "/", r.year);
  appendField(out, l.time, r.hour);
  appendField(out, ":", r.minute);
  appendField(out, ":", r.second);
  appendField(out, l.gmt, r.gmtHours);
  appendField(out, ":", r.gmtMinutes);
  appendField(out, l.longitude, r.lonDegrees);
  appendField(out, ":", r.lonMinutes);
  appendField(out, ":", r.lonSeconds);
  appendField(out, l.latitude, r.latDegrees);
  appendField(out, ":", r.latMinutes);
  appendField(out, ":", r.latSeconds);
  if (out.size() > 160) out.resize(160);  // the text's buffer holds 160 characters
  return out;
}

}  // namespace orvenda
