// The sky of a period read for a chart: each new and full moon by the natal house it falls
// in, each eclipse by its house and by the natal points it touches, the void-of-course Moon
// once with the period's count of its stretches, and the new or full moon before the birth
// by its sign; each from the set's texts of the sky, in the horoscope language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sheet/reading.h"
#include "sheet/reading_texts.h"
#include "sky/sky.h"

namespace orvenda::reading {

// "17°35′ Pisces", "17°35′ Ιχθύες": a degree of the zodiac to the minute, rounded, 29°59.6′
// of a sign staying in it.
std::string skyDegree(double longitude, bool greek);
// "the 10th house", "10ος οίκος".
std::string houseWords(int house, bool greek);
// A sign after «σε», as Greek says "the Moon in Pisces", «η Σελήνη σε Ιχθύες»: "Κριό" …
std::string signAfterIn(int sign);
// "annular", «δακτυλιοειδής»: an eclipse's kind, as an adjective of the eclipse.
std::string eclipseKindWord(sky::EclipseKind kind, bool greek);

// A new or full moon of the period (quarters are not read), or the one before the birth.
struct LunationRead {
  sky::Phase phase = sky::Phase::NewMoon;
  double longitude = 0;
  int house = 0;            // natal, 1..12; 0 without the birth time
  long long localTime = 0;  // local seconds since 1970
};

struct EclipseRead {
  bool solar = true;
  sky::EclipseKind kind = sky::EclipseKind::Partial;
  double longitude = 0;
  int house = 0;
  std::vector<natal::AspectFound> touches;  // `b` the natal point; aspect 0 on it, else opposite
  long long localTime = 0;
};

struct SkyRead {
  bool lunationsAsked = true, eclipsesAsked = true;
  std::vector<LunationRead> lunations;
  std::vector<EclipseRead> eclipses;
  bool voidAsked = false;
  int voidStretches = 0;
  long long longestFrom = 0, longestTo = 0;  // the longest stretch, local seconds
  int longestSign = 0;                       // the sign the Moon leaves in it
  std::optional<LunationRead> prenatal;
  bool timeKnown = true;
};

// A chapter for each kind asked: the lunations (a text for each house and phase, once, under
// a heading naming every lunation it reads), the eclipses (the same, then each natal point
// touched), the void Moon, the syzygy before the birth.
Reading skyReading(const SkyRead& sky, const TextSet& texts, bool greek, std::int32_t sex);

}  // namespace orvenda::reading
