// Loading, drawing and editing the aspect and planet tables.
#include "config/config_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>

#include "config/config_texts.h"
#include "console/console_screen.h"

namespace orvenda {
namespace {

namespace t = config_texts;

struct Group {
  int first, last;
};
constexpr Group kAspectGroups[] = {{0, 4}, {5, 8}, {9, 17}};
constexpr Group kPlanetGroups[] = {{0, 9}, {10, 14}, {15, 19}, {20, 21}};

std::int32_t toCell(double v) {
  if (!(v > INT32_MIN)) return INT32_MIN;  // NaN lands here too, then below
  if (v >= INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(v);
}

constexpr std::int32_t cycleFlag(std::int32_t v) {
  const long long next = static_cast<long long>(v) + 1;
  return next > 1 ? 0 : static_cast<std::int32_t>(next);
}

}  // namespace

void splitValue(double v, std::int32_t& whole, std::int32_t& hundredths) {
  if (!std::isfinite(v)) {
    whole = 0;
    hundredths = 0;
    return;
  }
  if (v >= 0 || v == std::trunc(v)) {
    whole = toCell(std::trunc(v));
    hundredths = static_cast<std::int32_t>((v - std::floor(v)) * 101);
    return;
  }
  // Negative with a fraction: the pair that stores exactly this value, preferring cells
  // that the keys can reach (-9..99), then any exact pair, else the nearest.
  const double candidates[] = {std::floor(v), std::trunc(v)};
  for (int pass = 0; pass < 2; ++pass) {
    for (double w : candidates) {
      const double h = std::round((v - w) * 100);
      const bool inRange = pass == 0 ? (h >= -9 && h <= 99) : (h >= -99 && h <= 99);
      if (inRange && joinValue(toCell(w), static_cast<std::int32_t>(h)) == v) {
        whole = toCell(w);
        hundredths = static_cast<std::int32_t>(h);
        return;
      }
    }
  }
  whole = toCell(std::floor(v));
  hundredths = static_cast<std::int32_t>(std::round((v - std::floor(v)) * 100));
}

double joinValue(std::int32_t whole, std::int32_t hundredths) {
  return static_cast<double>(whole) + static_cast<double>(hundredths) * 0.01;
}

ConfigScreen::ConfigScreen(ConfigKind kind, ConsoleScreen& console, SettingsStore& settings,
                           int programLanguage, std::function<void()> parkCursor)
    : kind_(kind),
      con_(console),
      settings_(settings),
      language_(programLanguage),
      parkCursor_(std::move(parkCursor)),
      rows_(kind == ConfigKind::Aspects ? kAspectCount : kPlanetCount),
      firstScreenRow_(kind == ConfigKind::Aspects ? 4 : 3),
      nameLeft_(kind == ConfigKind::Aspects ? 18 : 20),
      minCell_(kind == ConfigKind::Aspects ? 0 : -9) {}

std::string_view ConfigScreen::name(int row) const {
  const bool aspects = kind_ == ConfigKind::Aspects;
  if (language_ == 0) return aspects ? t::kAspectNamesEn.at(row) : t::kPlanetNamesEn.at(row);
  if (language_ == 1) return aspects ? t::kAspectNamesEl.at(row) : t::kPlanetNamesEl.at(row);
  return {};
}

bool ConfigScreen::open() {
  row_ = 0;
  column_ = 0;
  bool loaded = false;
  if (kind_ == ConfigKind::Aspects) {
    AspectTable table;
    loaded = settings_.readAspects(table);
    std::copy(table.orbs.begin(), table.orbs.end(), values_.begin());
    std::copy(table.enabled.begin(), table.enabled.end(), flags_.begin());
  } else {
    PlanetTable table;
    loaded = settings_.readPlanets(table);
    values_ = table.values;
    flags_ = table.enabled;
  }
  if (!loaded) {
    con_.writeStandardOutput(kTableFileMessage);
    con_.readKey();
    return false;
  }
  for (int i = 0; i < rows_; ++i)
    splitValue(values_[static_cast<std::size_t>(i)], cells_[static_cast<std::size_t>(i)],
               cells_[static_cast<std::size_t>(rows_ + i)]);
  drawFixedPart();
  return true;
}

void ConfigScreen::drawFixedPart() {
  const bool aspects = kind_ == ConfigKind::Aspects;
  const bool known = language_ == 0 || language_ == 1;
  const bool en = language_ == 0;
  auto at = [&](int c, int r, std::string_view text) {
    con_.moveCursor(c, r);
    con_.writeText(text);
  };
  con_.setWindow(2, 1, 80, 25);
  // The planet screen paints its panel only for a language it has labels in.
  if (aspects || known) {
    con_.setTextBackground(143);
    con_.setTextColor(143);
    con_.clearWindow();
    con_.setTextColor(129);
  }
  // Each label with its key letters: the letters are written over it in light red.
  struct Label {
    int column, row;
    std::string_view en, el, key;
  };
  static constexpr Label kAspectLabels[] = {
      {1, 1, t::kAspectTitleEn, t::kAspectTitleEl, ""},
      {37, 2, t::kAspectCheckEn, t::kAspectCheckEl, "C"},
      {1, 7, t::kChooseEn, t::kChooseEl, ""},
      {47, 4, t::kMajorsEn, t::kAspectMajorsEl, "F1"},
      {47, 9, t::kMinorsEn, t::kAspectMinorsEl, "F2"},
      {47, 13, t::kRestEn, t::kAspectRestEl, "F3"},
      {39, 23, t::kValueEn, t::kValueEl, "+ -"},
  };
  static constexpr Label kPlanetLabels[] = {
      {1, 1, t::kPlanetTitleEn, t::kPlanetTitleEl, ""},
      {37, 2, t::kPlanetCheckEn, t::kPlanetCheckEl, "C"},
      {1, 7, t::kSelectEn, t::kChooseEl, ""},
      {47, 4, t::kMajorsEn, t::kPlanetMajorsEl, "F1"},
      {47, 13, t::kMinorsEn, t::kPlanetMinorsEl, "F2"},
      {47, 18, t::kRestEn, t::kPlanetRestEl, "F3"},
      {47, 23, t::kHousesEn, t::kPlanetHousesEl, "F4"},
      {39, 25, t::kValueEn, t::kValueEl, "+ -"},
  };
  const std::span<const Label> labels =
      aspects ? std::span<const Label>(kAspectLabels) : std::span<const Label>(kPlanetLabels);
  if (known)
    for (const Label& l : labels) at(l.column, l.row, en ? l.en : l.el);
  con_.setTextColor(140);
  if (language_ == 0)
    at(1, 3, "S\n\rEsc");
  else if (language_ == 1)
    at(1, 3, t::kSaveLetterEl);
  con_.moveCursor(9, 7);
  con_.writeFormatted("%c %c", 24, 26);
  con_.moveCursor(9, 8);
  con_.writeFormatted("%c %c", 27, 25);
  for (const Label& l : labels)
    if (!l.key.empty()) at(l.column, l.row, l.key);
}

void ConfigScreen::drawCell(int index, int screenRow, bool highlighted) {
  const bool hundredths = index >= rows_;
  const int left = hundredths ? 44 : 40;
  con_.setWindow(left, screenRow, left + 2, screenRow);
  const int panel = highlighted ? 2 : 137;
  con_.setTextBackground(panel);
  con_.setTextColor(panel);
  con_.clearWindow();
  con_.setTextColor(highlighted ? 15 : 143);
  char text[16];
  std::snprintf(text, sizeof text, hundredths ? "%02d" : "%2d",
                cells_[static_cast<std::size_t>(index)]);
  con_.writeFitted(text);
}

void ConfigScreen::drawTable() {
  auto panel = [&](int left, int row, int right, int colour) {
    con_.setWindow(left, row, right, row);
    con_.setTextBackground(colour);
    con_.setTextColor(colour);
    con_.clearWindow();
  };
  for (int i = 0; i < rows_; ++i) {
    panel(38, firstScreenRow_ + i, 39, 143);
    const std::int32_t f = flags_[static_cast<std::size_t>(i)];
    if (f == 0) {
      con_.setTextColor(128);
      con_.writeText("x");
    } else if (f == 1) {
      con_.setTextColor(130);
      con_.writeFormatted("%c", 251);
    }
  }
  for (int i = 0; i < rows_; ++i) {
    panel(nameLeft_, firstScreenRow_ + i, 36, 1);
    con_.setTextColor(15);
    con_.writeText(name(i));
  }
  panel(nameLeft_, firstScreenRow_ + row_, 36, 2);
  con_.setTextColor(15);
  con_.writeText(name(row_));
  for (int i = 0; i < rows_; ++i) {
    panel(43, firstScreenRow_ + i, 44, 1);
    con_.setTextColor(15);
    con_.writeText(".");
  }
  for (int i = 0; i < 2 * rows_; ++i) drawCell(i, firstScreenRow_ + i % rows_, false);
  drawCell(row_ + rows_ * column_, firstScreenRow_ + row_, true);
}

void ConfigScreen::switchRows(int first, int last) {
  for (int i = first; i <= last; ++i)
    flags_[static_cast<std::size_t>(i)] = cycleFlag(flags_[static_cast<std::size_t>(i)]);
}

void ConfigScreen::step(int delta) {
  std::int32_t& c = cells_[static_cast<std::size_t>(row_ + rows_ * column_)];
  // Only a step past the bound it moves towards wraps: a cell read from a file as 150
  // goes down to 149, one read as -3 up to -2.
  const long long next = static_cast<long long>(c) + delta;
  if (delta > 0 && next > 99)
    c = minCell_;
  else if (delta < 0 && next < minCell_)
    c = 99;
  else
    c = static_cast<std::int32_t>(next);
}

bool ConfigScreen::save() {
  for (int i = 0; i < rows_; ++i)
    values_[static_cast<std::size_t>(i)] =
        joinValue(cells_[static_cast<std::size_t>(i)], cells_[static_cast<std::size_t>(rows_ + i)]);
  TableSave result;
  if (kind_ == ConfigKind::Aspects) {
    AspectTable table;
    std::copy_n(values_.begin(), kAspectCount, table.orbs.begin());
    std::copy_n(flags_.begin(), kAspectCount, table.enabled.begin());
    result = settings_.writeAspects(table);
  } else {
    // The second block of the values file goes back exactly as it was read.
    result = settings_.writePlanets(PlanetTable{values_, flags_});
  }
  if (result != TableSave::Saved) {
    con_.writeStandardOutput(kTableFileMessage);
    con_.readKey();
    return false;
  }
  con_.writeStandardOutput(kind_ == ConfigKind::Aspects ? "\naspects ok\n" : "\nat_pl_check ok\n");
  return true;
}

ConfigScreen::Outcome ConfigScreen::run() {
  const bool aspects = kind_ == ConfigKind::Aspects;
  const auto* groups = aspects ? kAspectGroups : kPlanetGroups;
  const int groupCount = aspects ? 3 : 4;
  for (;;) {
    drawTable();
    parkCursor_();
    const auto code = static_cast<signed char>(con_.readKey());
    switch (code) {
      case 27: return Outcome::ToMainScreen;
      case '+': step(+1); break;
      case '-': step(-1); break;
      case 59:
      case 60:
      case 61:
      case 62:
        if (code - 59 < groupCount) switchRows(groups[code - 59].first, groups[code - 59].last);
        break;
      case 'C':
      case 'c': switchRows(row_, row_); break;
      case 72: row_ = row_ == 0 ? rows_ - 1 : row_ - 1; break;
      case 80: row_ = row_ == rows_ - 1 ? 0 : row_ + 1; break;
      case 75:
      case 77: column_ = 1 - column_; break;
      case 'S':
      case 's': return save() ? Outcome::ToMainScreen : Outcome::Failed;
      default: break;
    }
  }
}

}  // namespace orvenda
