// The footer rule of a binary zone file (RFC 8536, section 3.3), read and applied.
#include "places/zone_rule.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <vector>

#include <date/date.h>

namespace orvenda::places {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool done() const { return p_ >= s_.size(); }
  char peek() const { return done() ? '\0' : s_[p_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++p_;
    return true;
  }
  // An abbreviation: letters, or anything between < and >.
  std::optional<std::string> name() {
    std::string out;
    if (take('<')) {
      while (!done() && peek() != '>') out += s_[p_++];
      if (!take('>') || out.empty()) return std::nullopt;
      return out;
    }
    while (!done() && std::isalpha(static_cast<unsigned char>(peek()))) out += s_[p_++];
    if (out.size() < 3) return std::nullopt;
    return out;
  }
  std::optional<int> number(int maxDigits) {
    int v = 0, digits = 0;
    while (!done() && std::isdigit(static_cast<unsigned char>(peek())) && digits < maxDigits) {
      v = v * 10 + (s_[p_++] - '0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    return v;
  }
  // [+-]hh[:mm[:ss]] in seconds.
  std::optional<int> clock() {
    int sign = 1;
    if (take('-'))
      sign = -1;
    else
      take('+');
    const auto h = number(3);
    if (!h) return std::nullopt;
    int seconds = *h * 3600;
    if (take(':')) {
      const auto m = number(2);
      if (!m) return std::nullopt;
      seconds += *m * 60;
      if (take(':')) {
        const auto s = number(2);
        if (!s) return std::nullopt;
        seconds += *s;
      }
    }
    return sign * seconds;
  }
  std::optional<RuleDay> day() {
    RuleDay d;
    if (take('M')) {
      const auto m = number(2);
      if (!m || !take('.')) return std::nullopt;
      const auto w = number(1);
      if (!w || !take('.')) return std::nullopt;
      const auto wd = number(1);
      if (!wd || *m < 1 || *m > 12 || *w < 1 || *w > 5 || *wd > 6) return std::nullopt;
      d.kind = RuleDay::Kind::MonthWeekDay;
      d.month = *m;
      d.week = *w;
      d.weekday = *wd;
    } else if (take('J')) {
      const auto n = number(3);
      if (!n || *n < 1 || *n > 365) return std::nullopt;
      d.kind = RuleDay::Kind::JulianNoLeap;
      d.day = *n;
    } else {
      const auto n = number(3);
      if (!n || *n > 365) return std::nullopt;
      d.kind = RuleDay::Kind::ZeroBased;
      d.day = *n;
    }
    if (take('/')) {
      const auto t = clock();
      if (!t) return std::nullopt;
      d.time = *t;
    }
    return d;
  }

 private:
  std::string_view s_;
  std::size_t p_ = 0;
};

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Days since 1970-01-01 of the rule's day in a year.
std::int64_t daysOf(const RuleDay& d, int year) {
  using namespace date;
  const auto jan1 = sys_days{date::year{year} / January / 1}.time_since_epoch().count();
  switch (d.kind) {
    case RuleDay::Kind::JulianNoLeap: return jan1 + d.day - 1 + (leap(year) && d.day >= 60 ? 1 : 0);
    case RuleDay::Kind::ZeroBased: return jan1 + d.day;
    case RuleDay::Kind::MonthWeekDay: break;
  }
  const auto month = date::month{static_cast<unsigned>(d.month)};
  const weekday wd{static_cast<unsigned>(d.weekday)};
  sys_days day;
  if (d.week == 5)
    day = sys_days{date::year{year} / month / wd[last]};
  else
    day = sys_days{date::year{year} / month / wd[static_cast<unsigned>(d.week)]};
  return day.time_since_epoch().count();
}

int yearOf(std::int64_t seconds) {
  const auto days = date::floor<date::days>(date::sys_seconds{std::chrono::seconds{seconds}});
  return static_cast<int>(date::year_month_day{days}.year());
}

std::uint32_t be32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

std::optional<ZoneTail> readTail(const std::string& zone) {
  const char* dir = std::getenv("TZDIR");
  const std::string path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + zone;
  if (zone.empty() || zone.find("..") != std::string::npos) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* u = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() < 44 || data.compare(0, 4, "TZif") != 0 || data[4] < '2') return std::nullopt;
  auto counts = [&](std::size_t at, std::uint32_t c[6]) {
    for (int i = 0; i < 6; ++i) c[i] = be32(u + at + 20 + 4 * static_cast<std::size_t>(i));
  };
  std::uint32_t c[6];  // isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt
  counts(0, c);
  const std::size_t v1 =
      std::size_t{c[3]} * 5 + std::size_t{c[4]} * 6 + c[5] + std::size_t{c[2]} * 8 + c[1] + c[0];
  const std::size_t second = 44 + v1;
  if (data.size() < second + 44 || data.compare(second, 4, "TZif") != 0) return std::nullopt;
  counts(second, c);
  const std::size_t times = second + 44;
  const std::size_t v2 =
      std::size_t{c[3]} * 9 + std::size_t{c[4]} * 6 + c[5] + std::size_t{c[2]} * 12 + c[1] + c[0];
  const std::size_t footer = times + v2;
  if (data.size() < footer + 2 || data[footer] != '\n') return std::nullopt;
  const auto endOfFooter = data.find('\n', footer + 1);
  if (endOfFooter == std::string::npos) return std::nullopt;
  const std::string text = data.substr(footer + 1, endOfFooter - footer - 1);
  const auto rule = parsePosixRule(text);
  if (!rule) return std::nullopt;
  ZoneTail tail;
  tail.rule = *rule;
  tail.text = text;
  tail.lastChange = INT64_MIN;
  if (c[3] > 0) {
    const unsigned char* last = u + times + (std::size_t{c[3]} - 1) * 8;
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | last[i];
    tail.lastChange = static_cast<std::int64_t>(v);
  }
  return tail;
}

}  // namespace

std::optional<PosixRule> parsePosixRule(std::string_view text) {
  Reader r(text);
  PosixRule rule;
  auto name = r.name();
  if (!name) return std::nullopt;
  rule.standardName = *name;
  auto west = r.clock();
  if (!west) return std::nullopt;
  rule.standardOffset = -*west;
  if (r.done()) {
    rule.summerOffset = rule.standardOffset;
    return rule;
  }
  name = r.name();
  if (!name) return std::nullopt;
  rule.summerName = *name;
  rule.hasSummer = true;
  rule.summerOffset = rule.standardOffset + 3600;
  if (r.peek() != ',' && !r.done()) {
    west = r.clock();
    if (!west) return std::nullopt;
    rule.summerOffset = -*west;
  }
  if (r.done()) {
    // POSIX leaves the days to the implementation; the United States' are the usual ones.
    rule.start = {RuleDay::Kind::MonthWeekDay, 3, 2, 0, 0, 7200};
    rule.end = {RuleDay::Kind::MonthWeekDay, 11, 1, 0, 0, 7200};
    return rule;
  }
  if (!r.take(',')) return std::nullopt;
  const auto start = r.day();
  if (!start || !r.take(',')) return std::nullopt;
  const auto end = r.day();
  if (!end || !r.done()) return std::nullopt;
  rule.start = *start;
  rule.end = *end;
  return rule;
}

std::optional<ZoneTail> zoneTail(const std::string& zone) {
  static std::mutex mutex;
  static std::map<std::string, std::optional<ZoneTail>> cache;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto found = cache.find(zone);
  if (found != cache.end()) return found->second;
  return cache.emplace(zone, readTail(zone)).first->second;
}

RulePeriod ruleAt(const PosixRule& rule, std::int64_t t) {
  RulePeriod p;
  if (!rule.hasSummer) {
    p.offset = rule.standardOffset;
    p.abbreviation = rule.standardName;
    p.begin = INT64_MIN;
    p.end = INT64_MAX;
    return p;
  }
  // The changes of three years around the instant, in order: summer time on at start
  // (given in standard local time), off at end (given in summer local time).
  struct Change {
    std::int64_t at;
    bool summer;
  };
  std::vector<Change> changes;
  const int year = yearOf(t);
  for (int y = year - 1; y <= year + 1; ++y) {
    changes.push_back(
        {daysOf(rule.start, y) * 86400 + rule.start.time - rule.standardOffset, true});
    changes.push_back({daysOf(rule.end, y) * 86400 + rule.end.time - rule.summerOffset, false});
  }
  std::sort(changes.begin(), changes.end(),
            [](const Change& a, const Change& b) { return a.at < b.at; });
  std::size_t i = 0;
  while (i < changes.size() && changes[i].at <= t) ++i;
  // Before the first change of the window the state is the opposite of that change's.
  const bool summer = i == 0 ? !changes[0].summer : changes[i - 1].summer;
  p.offset = summer ? rule.summerOffset : rule.standardOffset;
  p.abbreviation = summer ? rule.summerName : rule.standardName;
  // Summer time as people say it: the clock ahead of the other (Ireland's rule has its
  // winter as the "summer" part, one hour behind).
  p.summer = p.offset > std::min(rule.standardOffset, rule.summerOffset);
  p.begin = i == 0 ? INT64_MIN : changes[i - 1].at;
  p.end = i < changes.size() ? changes[i].at : INT64_MAX;
  return p;
}

std::string describeRuleDay(const RuleDay& d, bool greek) {
  static const char* kMonthsEn[] = {"January",   "February", "March",    "April",
                                    "May",       "June",     "July",     "August",
                                    "September", "October",  "November", "December"};
  static const char* kMonthsEl[] = {"Ιανουαρίου",  "Φεβρουαρίου", "Μαρτίου",   "Απριλίου",
                                    "Μαΐου",       "Ιουνίου",     "Ιουλίου",   "Αυγούστου",
                                    "Σεπτεμβρίου", "Οκτωβρίου",   "Νοεμβρίου", "Δεκεμβρίου"};
  static const char* kDaysEn[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
  static const char* kOrdinalEn[] = {"first", "second", "third", "fourth", "last"};
  // Greek days with their article, as the object of "on": Saturday alone is neuter.
  static const char* kDaysEl[] = {"Κυριακή", "Δευτέρα",   "Τρίτη",  "Τετάρτη",
                                  "Πέμπτη",  "Παρασκευή", "Σάββατο"};
  static const char* kArticleEl[] = {"την", "τη", "την", "την", "την", "την", "το"};
  static const char* kOrdinalEl[] = {"πρώτη", "δεύτερη", "τρίτη", "τέταρτη", "τελευταία"};
  static const char* kOrdinalNeuterEl[] = {"πρώτο", "δεύτερο", "τρίτο", "τέταρτο", "τελευταίο"};
  // A rule may put the change at a time past midnight or before it ("M3.4.4/50": the fourth
  // Thursday of March at 50:00, which is 02:00 on the Saturday after it): said as a reader
  // understands it, the day it falls on and a time of day.
  const int days = d.time >= 0 ? d.time / 86400 : -((-d.time + 86399) / 86400);
  const int timeOfDay = d.time - days * 86400;
  std::string day;
  if (d.kind == RuleDay::Kind::MonthWeekDay) {
    const auto w = static_cast<std::size_t>(d.week - 1), wd = static_cast<std::size_t>(d.weekday),
               m = static_cast<std::size_t>(d.month - 1);
    if (greek)
      day = std::string(wd == 6 ? "το " : "την ") + (wd == 6 ? kOrdinalNeuterEl : kOrdinalEl)[w] +
            " " + kDaysEl[wd] + " του " + kMonthsEl[m];
    else
      day = std::string("the ") + kOrdinalEn[w] + " " + kDaysEn[wd] + " of " + kMonthsEn[m];
    if (days != 0) {
      const auto shifted = static_cast<std::size_t>(((d.weekday + days) % 7 + 7) % 7);
      day = greek ? std::string(kArticleEl[shifted]) + " " + kDaysEl[shifted] +
                        (days > 0 ? " μετά " : " πριν από ") + day
                  : std::string("the ") + kDaysEn[shifted] + (days > 0 ? " after " : " before ") +
                        day;
    }
  } else {
    const int n = d.kind == RuleDay::Kind::JulianNoLeap ? d.day : d.day + 1;
    day = greek ? "την " + std::to_string(n) + "η ημέρα του έτους"
                : "day " + std::to_string(n) + " of the year";
    if (days == 1 || days == -1)
      day = greek ? std::string(days > 0 ? "την ημέρα μετά " : "την ημέρα πριν από ") + day
                  : std::string(days > 0 ? "the day after " : "the day before ") + day;
    else if (days != 0)
      day = greek ? std::to_string(days > 0 ? days : -days) + " ημέρες " +
                        (days > 0 ? "μετά " : "πριν από ") + day
                  : std::to_string(days > 0 ? days : -days) + " days " +
                        (days > 0 ? "after " : "before ") + day;
  }
  char clock[32];
  std::snprintf(clock, sizeof clock, "%02d:%02d", timeOfDay / 3600, timeOfDay / 60 % 60);
  return day + (greek ? " στις " : " at ") + clock;
}

}  // namespace orvenda::places
