// What a zone does after the last change its binary file lists (2037 for most zones):
// the rule in the file's footer, a POSIX TZ string such as "GMT0BST,M3.5.0/1,M10.5.0".
// The date/tz library stops at the last listed change and keeps that period for ever, so
// London would stay on GMT from October 2037 on; this reads the footer and applies it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvenda::places {

// One end of summer time: a day of the year and a local time of day (seconds, which may
// be negative or past 24 hours).
struct RuleDay {
  enum class Kind { MonthWeekDay, JulianNoLeap, ZeroBased } kind = Kind::MonthWeekDay;
  int month = 0, week = 0, weekday = 0;  // Mm.w.d: week 5 is the last
  int day = 0;                           // Jn (1..365, 29 February never counted) or n (0..365)
  int time = 2 * 3600;
};

struct PosixRule {
  std::string standardName, summerName;
  int standardOffset = 0;  // seconds east of Greenwich
  int summerOffset = 0;
  bool hasSummer = false;
  RuleDay start, end;  // summer time begins at start (standard local time), ends at end
};

// Nothing for a string that is not of the form.
std::optional<PosixRule> parsePosixRule(std::string_view text);

// What a zone's file says of the time after its last listed change.
struct ZoneTail {
  std::int64_t lastChange = 0;  // seconds since 1970 UT: the rule holds after this
  PosixRule rule;
  std::string text;  // the rule as the file writes it
};
// Read once per zone from the zoneinfo folder ($TZDIR, else /usr/share/zoneinfo); nothing
// for a zone without a file or a footer.
std::optional<ZoneTail> zoneTail(const std::string& zone);

// The period of the rule at an instant (seconds since 1970 UT).
struct RulePeriod {
  int offset = 0;
  bool summer = false;
  std::string abbreviation;
  std::int64_t begin = 0, end = 0;  // the changes around it, seconds since 1970 UT
};
RulePeriod ruleAt(const PosixRule& rule, std::int64_t utSeconds);

// "the last Sunday of March at 01:00", "le dernier..." in English or Greek.
std::string describeRuleDay(const RuleDay& day, bool greek);

}  // namespace orvenda::places
