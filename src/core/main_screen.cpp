// Drawing the main screen in its two layers, and what each key does there.
#include "core/main_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "birth/chart_for_now.h"
#include "console/console_screen.h"
#include "core/app.h"
#include "core/open_chart.h"
#include "core/texts.h"
#include "external/shell_launcher.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "sheet/print_sheet.h"

namespace orvenda {
namespace {

void writeValue(ConsoleScreen& con, int field, std::int32_t value) {
  con.writeText(fieldText(field, value).data());
}

// The English or the Greek text by programLanguage; nothing for any other value.
void writeIn(ConsoleScreen& con, int language, std::string_view en, std::string_view el) {
  if (language == 0)
    con.writeText(en);
  else if (language == 1)
    con.writeText(el);
}

void writeAt(ConsoleScreen& con, int column, int row, std::string_view text) {
  con.moveCursor(column, row);
  con.writeText(text);
}

// Hot-key letters written in light red over their labels, at positions in the window.
struct HotLetter {
  int column, row;
  std::string_view text;
};

void writeHotLetters(ConsoleScreen& con, int language, std::span<const HotLetter> en,
                     std::span<const HotLetter> el) {
  con.setTextColor(140);
  const std::span<const HotLetter> letters = language == 0   ? en
                                             : language == 1 ? el
                                                             : std::span<const HotLetter>();
  for (const HotLetter& h : letters) writeAt(con, h.column, h.row, h.text);
}

constexpr HotLetter kMenuHotEn[] = {
    {1, 1, "O\n\rS\n\rR\n\rN"}, {5, 5, "t"}, {1, 9, "F1"}, {1, 10, "F4"}, {1, 12, "Esc"}};
constexpr HotLetter kMenuHotEl[] = {
    {3, 1, "o"},  {1, 2, texts::kSigma}, {1, 3, "R"},  {2, 4, texts::kNu}, {16, 5, "T"},
    {1, 6, "F6"}, {1, 7, "F7"},          {1, 9, "F1"}, {1, 10, "F4"},      {1, 12, "Esc"}};
constexpr HotLetter kHeadingHotEn[] = {{5, 3, "c"}, {2, 4, "l"}};
constexpr HotLetter kHeadingHotEl[] = {{2, 3, texts::kPsi}, {2, 4, texts::kLambda}};
constexpr HotLetter kLabelsHotEn[] = {{1, 2, "Z"}, {5, 3, "e"}, {9, 4, "u"}};
constexpr HotLetter kLabelsHotEl[] = {{1, 2, "Z"}, {1, 3, "E"}, {1, 4, "U"}};

constexpr std::int32_t clampToInt32(long long v) {
  return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// One step on a cycling setting: up by one, and past the last value back to 0. Any value
// read from a file takes the same rule (5 gives 0, -3 gives -2).
constexpr std::int32_t cycle(std::int32_t value, std::int32_t last) {
  const long long next = static_cast<long long>(value) + 1;
  return next > last ? 0 : static_cast<std::int32_t>(next);
}

}  // namespace

Step MainScreen::run() {
  if (!entered_) {
    entered_ = true;
    if (!app_.readMainScreenSettings()) return Step::end();
    app_.applyScreenColours();
    drawMainScreen();
  }
  for (;;) {
    refreshLowerPart();
    app_.parkCursor();
    if (auto step = command(app_.console.readKey())) return std::move(*step);
  }
}

void MainScreen::drawMainScreen() {
  ConsoleScreen& con = app_.console;
  con.setWindow(1, 1, 80, 25);
  con.setTextBackground(143);
  con.setTextColor(129);
  con.clearWindow();
  con.writeFormatted(" Orvenda   %s", app_.state.chartPath.c_str());

  con.setTextColor(140);
  con.moveCursor(2, 3);
  con.writeFormatted("%c%c", 24, 26);
  con.moveCursor(2, 4);
  con.writeFormatted("%c%c", 27, 25);
  drawMenus();
}

void MainScreen::drawMenus() {
  ConsoleScreen& con = app_.console;
  const int lang = app_.state.programLanguage;
  con.setWindow(5, 9, 80, 25);
  con.setTextBackground(143);
  con.clearWindow();
  con.setTextColor(129);
  writeIn(con, lang, texts::kMenuEn, texts::kMenuEl);
  writeHotLetters(con, lang, kMenuHotEn, kMenuHotEl);

  con.setWindow(40, 9, 80, 25);
  con.setTextColor(129);
  writeIn(con, lang, texts::kHeadingEn, texts::kHeadingEl);
  writeHotLetters(con, lang, kHeadingHotEn, kHeadingHotEl);

  con.setWindow(40, 13, 80, 17);
  con.clearWindow();
  con.setTextColor(129);
  writeIn(con, lang, texts::kLabelsEn, texts::kLabelsEl);
  writeHotLetters(con, lang, kLabelsHotEn, kLabelsHotEl);

  con.setWindow(40, 20, 80, 25);
  con.setTextColor(129);
  writeIn(con, lang, texts::kFooterEn, texts::kFooterEl);

  con.setWindow(5, 25, 80, 25);
  con.setTextColor(129);
  con.writeText(texts::kRightsNotice);
}

void MainScreen::refreshLowerPart() {
  ConsoleScreen& con = app_.console;
  const AppState& s = app_.state;
  const int lang = s.programLanguage;

  con.setWindow(20, 6, 80, 7);
  con.setTextBackground(143);
  con.setTextColor(143);
  con.clearWindow();
  con.setTextColor(129);
  writeIn(con, lang, texts::kKeyStripEn, texts::kKeyStripEl);
  con.setTextColor(140);
  writeAt(con, 1, 1, "F2");
  writeAt(con, 1, 2, "F5");
  writeAt(con, 27, 1, "F3");
  writeAt(con, 27, 2, "F8");
  con.setTextColor(130);
  con.moveCursor(10, 1);
  writeIn(con, lang, texts::kTimeModeEn.at(s.timeMode), texts::kTimeModeEl.at(s.timeMode));
  con.moveCursor(10, 2);
  writeIn(con, lang, texts::kSexEn.at(s.sex), texts::kSexEl.at(s.sex));

  con.setWindow(40, 13, 80, 16);
  con.setTextColor(140);
  writeAt(con, 13, 1, "+-");
  con.setTextColor(130);
  con.moveCursor(16, 1);
  con.writeFormatted("%2d", s.borderlineDegrees);
  con.moveCursor(28, 2);
  writeIn(con, lang, texts::kNoYesEn.at(s.zodiacRulersAlways),
          texts::kNoYesEl.at(s.zodiacRulersAlways));
  con.moveCursor(28, 3);
  writeIn(con, lang, texts::kNoYesEn.at(s.borderlineInterpretation),
          texts::kNoYesEl.at(s.borderlineInterpretation));
  con.moveCursor(28, 4);
  writeIn(con, lang, texts::kRulersEn.at(s.changeRulers), texts::kRulersEl.at(s.changeRulers));

  con.setWindow(28, 15, 80, 15);
  con.setTextColor(130);
  writeIn(con, lang, texts::kLanguageEn.at(s.horoscopeLanguage),
          texts::kLanguageEl.at(s.horoscopeLanguage));

  normalizeDate(app_.record);
  drawRecordStrip();
}

void MainScreen::drawRecordStrip() {
  ConsoleScreen& con = app_.console;
  const int lang = app_.state.programLanguage;
  auto label = [&](int i) {
    con.writeFormatted("%4s", lang == 0   ? texts::kFieldLabelsEn.at(i)
                              : lang == 1 ? texts::kFieldLabelsEl.at(i)
                                          : "");
    if (i == 6) {  // the G of GMT stands for the time-zone key
      con.setTextColor(14);
      writeAt(con, 2, 1, "G");
    }
  };
  for (int i = 0; i < BirthRecord::kFieldCount; ++i) {
    const int x = 5 + 5 * i;
    con.setWindow(x, 3, x + 4, 3);
    con.setTextBackground(1);
    con.setTextColor(1);
    con.clearWindow();
    con.setTextColor(15);
    label(i);
    con.setWindow(x, 4, x + 4, 4);
    con.setTextBackground(137);
    con.setTextColor(137);
    con.clearWindow();
    con.setTextColor(143);
    writeValue(con, i, app_.record.field(i));
  }
  const int field = app_.state.cursorField;
  const int x = 5 + app_.state.cursorColumn;
  con.setWindow(x, 3, x + 4, 3);
  con.setTextBackground(137);
  con.setTextColor(137);
  con.clearWindow();
  con.setTextColor(143);
  label(field);
  con.setWindow(x, 4, x + 4, 4);
  con.setTextBackground(2);
  con.setTextColor(2);
  con.clearWindow();
  con.setTextColor(15);
  writeValue(con, field, app_.record.field(field));
}

void MainScreen::showGenderMessage() {
  ConsoleScreen& con = app_.console;
  con.setWindow(1, 1, 80, 1);
  con.setTextBackground(143);
  con.setTextColor(130);
  con.clearWindow();
  writeIn(con, app_.state.programLanguage, texts::kGenderEn, texts::kGenderEl);
  con.readKey();
  con.clearWindow();
  con.setTextColor(129);
  con.writeText(" Orvenda   NAMES\\");
}

std::optional<Step> MainScreen::enter(FramePtr frame) {
  if (frame) return Step::enter(std::move(frame));
  // A failure message (a save that could not be written, a screen left after a failure of
  // its own) cleared its window over the menus and the footer: they are drawn again, so
  // that the screen is whole. The record's edits and the title stay as they are.
  drawMenus();
  return std::nullopt;
}

std::optional<Step> MainScreen::enterAnew() { return enter(app_.loadAndShow()); }

std::optional<Step> MainScreen::storeSetting(int setting, std::int32_t value, bool anew) {
  // A setting that can't be written leaves this main screen; the new value stays.
  if (!app_.writeSetting(static_cast<IntSetting>(setting), value)) return Step::end();
  return anew ? enterAnew() : std::nullopt;
}

std::optional<Step> MainScreen::command(int code) {
  AppState& s = app_.state;
  BirthRecord& r = app_.record;
  const int lang = s.programLanguage;
  auto page = [&](const char* en, const char* el) {
    if (lang == 0)
      app_.shell.runCommand(en);
    else if (lang == 1)
      app_.shell.runCommand(el);
  };
  switch (static_cast<signed char>(code)) {
    case 27: app_.exitProgram();
    case '+':
      s.borderlineDegrees = std::min(clampToInt32(s.borderlineDegrees + 1LL), 15);
      return storeSetting(static_cast<int>(IntSetting::Metaixmio), s.borderlineDegrees, false);
    case '-':
      s.borderlineDegrees = std::max(clampToInt32(s.borderlineDegrees - 1LL), 0);
      return storeSetting(static_cast<int>(IntSetting::Metaixmio), s.borderlineDegrees, false);
    case 59: page("start help-en.htm", "start help.htm"); return std::nullopt;
    case 60:  // F2: time known or not
      s.timeMode = cycle(s.timeMode, 1);
      if (s.timeMode == 1) {
        r.hour = 12;
        r.minute = 0;
        r.second = 0;
        return std::nullopt;
      }
      return enterAnew();  // the stored time comes back, with every other saved value
    case 61: page("start place-en.htm", "start place.htm"); return std::nullopt;
    case 62:
      if ((lang == 0 || lang == 1) && app_.aboutScreen) return enter(app_.aboutScreen(app_));
      return std::nullopt;
    case 63: s.sex = cycle(s.sex, 2); return std::nullopt;
    case 64:
      s.programLanguage = 0;
      return storeSetting(static_cast<int>(IntSetting::Langpro), 0, true);
    case 65:
      s.horoscopeLanguage = 0;
      return storeSetting(static_cast<int>(IntSetting::Langhor), 0, true);
    case 66:
      s.defaultPlace = {r.lonDegrees, r.lonMinutes, r.lonSeconds,
                        r.latDegrees, r.latMinutes, r.latSeconds};
      if (!app_.settings.writeDefaultPlace(s.defaultPlace)) {
        app_.reportCantOpen();
        return Step::end();
      }
      return std::nullopt;
    case 'C':
    case 'c':
      if (app_.aspectScreen) return enter(app_.aspectScreen(app_));
      return std::nullopt;
    case 'E':
    case 'e':
      s.borderlineInterpretation = cycle(s.borderlineInterpretation, 1);
      return storeSetting(static_cast<int>(IntSetting::Borderinter), s.borderlineInterpretation,
                          true);
    case 'G':
    case 'g': page("start timezones-en.htm", "start timezones.htm"); return std::nullopt;
    case 72: decrementField(r, s.cursorField); return std::nullopt;
    case 75:
      s.cursorColumn -= 5;
      s.cursorField -= 1;
      if (s.cursorField < 0) s.cursorField = 13;
      if (s.cursorColumn < 0) s.cursorColumn += 70;
      return std::nullopt;
    case 'L':
    case 'l':
      if (app_.planetScreen) return enter(app_.planetScreen(app_));
      return std::nullopt;
    case 77:
      s.cursorColumn += 5;
      s.cursorField += 1;
      if (s.cursorField > 13) s.cursorField = 0;
      if (s.cursorColumn == 70) s.cursorColumn = 0;
      return std::nullopt;
    case 'N':
    case 'n': return enter(app_.openNotes());
    case 'O':
    case 'o': return Step::enter(std::make_unique<OpenChart>(app_));
    case 80: incrementField(r, s.cursorField); return std::nullopt;
    case 'R':
    case 'r':
      if (s.chartName.empty() || s.sex == 0) {
        showGenderMessage();
        return std::nullopt;
      }
      app_.birthSummary = birthSummary(r, s.horoscopeLanguage);
      {
        // The page that opens is the sheet itself, written whole like every file. A sheet
        // that can't be written (no PRINT folder, another user's, immutable) is reported,
        // and the one that is there, another chart's, is not opened as if it were this.
        SettingsStore store(app_.files);
        const SheetSettings settings = sheetSettings(s);
        // The reading follows the chart, from the shipped texts under the working
        // directory's own (READING/), read again each time so an edit shows at once.
        const reading::TextSet texts =
            reading::textSet(app_.files, settings.horoscopeLanguage == 1);
        const std::string sheet =
            printSheet(settings, r, chartForSheet(store, settings, r), &texts);
        if (!app_.files.write(
                "PRINT\\bush.html",
                std::span(reinterpret_cast<const std::uint8_t*>(sheet.data()), sheet.size()))) {
          app_.reportCantOpen();
          return enterAnew();
        }
      }
      app_.shell.runCommand("start PRINT/bush.html");
      return enterAnew();
    case 'S':
    case 's': return enter(app_.saveChart());
    case 'T':
    case 't': chartForNow(r, app_.clock.now()); return enter(app_.saveUntitled());
    case 'U':
    case 'u':
      s.changeRulers = cycle(s.changeRulers, 2);
      return storeSetting(static_cast<int>(IntSetting::Chrul), s.changeRulers, true);
    case 'Z':
    case 'z':
      s.zodiacRulersAlways = cycle(s.zodiacRulersAlways, 1);
      return storeSetting(static_cast<int>(IntSetting::Zodcyber), s.zodiacRulersAlways, true);
    default: return std::nullopt;
  }
}

}  // namespace orvenda
