// Time told in words and pictures: the lines of the transits' text form, and the report
// (the natal chart with the sky of a moment around it, a timeline of the period's
// transits, their list and their reading). Pure functions of the events, the charts and
// the interpretation sets, in the horoscope language; the tool writes the files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cycles/transits.h"
#include "natal/ephemeris.h"
#include "natal/natal_chart.h"
#include "sheet/reading_texts.h"

namespace orvenda::report {

// The astrologer's clock: the local time (seconds since 1970, as if the zone were UT) of a
// universal instant (seconds since 1970).
using LocalClock = std::function<long long(long long universalSeconds)>;

// Seconds since 1970 of a Julian day (UT), to the nearest second.
long long secondsOf(double julianDayUt);
// "14 Mar 2027 05:19" (to the minute, rounded), "14 Μαρ 2027 05:19".
std::string minuteText(long long localSeconds, bool greek);
// "14 March 2027", "14 Μαρτίου 2027".
std::string dayText(long long localSeconds, bool greek);
// "March 2027", "Μάρτιος 2027": a month's heading.
std::string monthHeading(long long localSeconds, bool greek);
// "Saturn □ Sun", "Jupiter quintile Venus": a transit named as the lines and lists name it.
std::string transitName(int body, int aspect, int natal, bool greek);

// One line of the text form: its instant (UT seconds), its text after the date and time.
struct TimedLine {
  long long at = 0;
  std::string text;
};
// The lines of one event that fall in [from, to) (UT seconds): an aspect's entry into the
// orb, each exact instant ("exact (2 of 3)"), its leaving; a station; an ingress.
std::vector<TimedLine> eventLines(const cycles::TransitEvent& event, double orb, bool greek,
                                  long long from, long long to);

// A transit told on one line: its stretches in the orb ("3 Feb – 20 Apr, 1 Jun – 28 Nov
// 2027"; the year written once where every date of the transit falls in one) and its exact
// days in order, the retrograde ones marked ("exact 14 Mar, 2 Jul ℞, 20 Oct"), in local time.
struct TransitSpan {
  std::string name, stretches, exact;
};
TransitSpan transitSpan(const cycles::TransitEvent& event, const LocalClock& local, bool greek);
// Whether a transit already stands within the orb as a period begins (Julian day, UT).
bool inOrbAt(const cycles::TransitEvent& event, double julianDayUt);

// The bodies whose transits last months and come back in passes (Jupiter to Pluto and
// Chiron), and those whose transits last days (the Sun to Mars).
bool slowBody(int body);
bool fastBody(int body);

// The keys a transit's text is looked for under, the closest first: the aspect itself,
// its nature, the general sense of transits of that nature (of a slow body's, for one).
std::vector<std::string> transitKeys(int body, int aspect, int natal);

// A lunation or an eclipse of the period, beside the transits: its instant, what it is and
// what it touches in the chart.
enum class SkyKind { NewMoon, FirstQuarter, FullMoon, LastQuarter, SolarEclipse, LunarEclipse };
struct SkyMoment {
  long long at = 0;  // UT seconds
  SkyKind kind = SkyKind::NewMoon;
  double longitude = 0;  // the Moon's (a solar eclipse's: the Sun's), 0 <= λ < 360
  // An eclipse's kind, its magnitude and its Saros series and member.
  natal::Ephemeris::EclipseKind eclipse = natal::Ephemeris::EclipseKind::Partial;
  double magnitude = 0;
  int saros = 0, sarosMember = 0;
  int house = 0;                             // natal, 1..12; 0 without the birth time
  std::vector<natal::AspectFound> contacts;  // `b` the natal point
};
// "new moon", "solar eclipse": the kind as the JSON names it (English, lower case).
std::string skyKindKey(SkyKind kind);
// "New moon 17°35′ Pisces, natal house 10, ☌ natal Venus 1°12′"; an eclipse with its kind,
// and its magnitude and Saros after what it touches: "Total solar eclipse 26°32′ Aquarius,
// natal house 5, ☍ natal Moon 0°40′ (magnitude 1.0349, Saros 130/53)".
std::string skyLine(const SkyMoment& moment, bool greek);

struct TransitReport {
  std::string chartName;  // UTF-8
  std::string birthLine;  // the birth data as one line, in the report's language
  const natal::NatalChart* natal = nullptr;
  const natal::NatalChart* sky = nullptr;  // at the period's start, for the outer ring
  std::vector<natal::AspectFound> skyAspects;
  std::vector<cycles::TransitEvent> events;
  long long from = 0, to = 0;  // UT seconds
  double orb = 1;
  std::string zone;
  LocalClock local;
  bool greek = false;
  std::int32_t sex = 0;
  const reading::TextSet* texts = nullptr;
  std::vector<std::string> notes;
  // The fast bodies' transits listed and read one by one: for a month or less, or when
  // the astrologer chose the bodies; else a year of them is counted, not listed.
  bool everyFastTransit = true;
  // With the sky asked for: the period's lunations and eclipses, in time order, as a row of
  // marks on the timeline and a table of their own.
  bool withSky = false;
  std::vector<SkyMoment> skyMoments;
};
std::string transitReportHtml(const TransitReport& report);

// Where the Sun, the Moon and the planets take part; the timeline draws the transits of
// the bodies from Jupiter outwards and Chiron, whose passes last weeks to years.
bool onTimeline(int body);

}  // namespace orvenda::report
