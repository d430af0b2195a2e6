// What the commands of time and of two charts share: the astrologer's zone and clock, a
// period given as dates, instants written for other programs, an output that is written
// whole or not at all, and a PDF rendered from a report's HTML by an engine of the system.
#pragma once

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "sheet/time_report.h"
#include "tool/saved_chart.h"

namespace orvenda::tool {

// The zone the astrologer reads times in: --zone, else the system's (TZ, /etc/localtime).
// Nothing, with the reason on err, for a zone the database doesn't have.
std::optional<std::string> astrologerZone(Tool& t, const Options& o, const char* command);
// Local seconds of universal seconds in a zone (its rules after the database's last
// listed change too).
report::LocalClock clockOf(const std::string& zone);
// The universal instant of a local date's 00:00 in a zone (the later reading where the
// clocks skipped midnight).
long long localMidnight(const std::string& zone, const CivilDate& date);

struct Period {
  long long from = 0, to = 0;  // universal seconds, [from, to)
};
// --from and --to as dates in the zone, the whole of each day; without them the twelve
// months from today. Nothing (the reason said, status set: 2 for a date that can't be read,
// 1 for a period that ends before it begins).
std::optional<Period> periodOption(Tool& t, const Options& o, const std::string& zone,
                                   const char* command, int& status);

// What a time command computes, as the astrologer chose it with --bodies (names, or slow:
// Jupiter to Pluto and Chiron, fast: the Sun to Mars, all), --aspects (names, or major: the
// five Ptolemaic, all: those switched on) and --natal (names, or personal: the lights,
// Mercury, Venus, Mars and the angles, all). A group stays within what the configuration
// lets take part; a name is computed even where the configuration leaves it off (she asked
// for it), which `config` is changed to allow. Nothing (the reason said) for a name that
// isn't a body, a point or an aspect.
struct Selection {
  std::uint32_t bodies = ~0u, natal = ~0u, aspects = ~0u;
  bool bodiesChosen = false;  // --bodies given
  bool moonNamed = false;     // the Moon among the bodies by name: it moves without --moon
};
std::optional<Selection> selectionOption(Tool& t, const Options& o, const char* command,
                                         natal::ChartConfig& config);

// "2027-03-14T05:19:00Z", as the chart's universal_time is written; `form` is a printf
// pattern of year, month, day, hour, minute and second for another layout.
std::string universalText(long long seconds, const char* form = "%04d-%02u-%02uT%02d:%02d:%02dZ");
// The same, to the minute (its seconds 00, rounded).
std::string universalMinute(double julianDayUt);

// The chart's words as one line for a report: "Born 14 March 1957, 09:41 (GMT −5:00),
// 74°00′21″ W 40°42′51″ N".
std::string birthLine(const BirthRecord& record, bool timeKnown, bool greek);

// Text, JSON or a calendar on standard output as it is found, or with -o gathered and
// written whole at the end, as the program writes its files.
class Output {
 public:
  Output(Tool& t, const Options& o);
  std::ostream& stream() { return file_ ? static_cast<std::ostream&>(buffer_) : out_; }
  // Writes the file (when -o named one); false with the reason said.
  bool finish();

 private:
  Tool& t_;
  std::ostream& out_;
  std::optional<std::string> file_;
  std::ostringstream buffer_;
};

// Writes a file whole (the report's HTML, a PDF), or leaves what was there; false with the
// reason said.
bool writeWhole(Tool& t, const std::string& path, const std::string& content);

// A PDF of a page's HTML, by the first engine found on the PATH (WeasyPrint, then headless
// Chromium), written whole into `path`; false with the reason said (none found, the engine
// failed).
bool writePdf(Tool& t, const std::string& html, const std::string& path);

}  // namespace orvenda::tool
