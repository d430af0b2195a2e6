// The orbs, in degrees, follow common practice: wide for the luminaries' and the major
// aspects, narrow for the minor ones; the minor aspects and the lesser points start
// switched off so that a first chart stays readable.
#include "config/default_settings.h"

namespace orvenda {

DefaultSettings::DefaultSettings() {
  // Conjunction, opposition, square, trine, sextile; inconjunct, semisextile,
  // semisquare, sesquiquadrate; quintile, biquintile, semiquintile, septile, novile,
  // binovile, biseptile, triseptile, quadnovile.
  aspects.orbs = {8, 8, 7, 7, 5, 3, 2, 2, 2, 1.5, 1.5, 1, 1, 1, 1, 1, 1, 1};
  aspects.enabled = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  // Sun .. Pluto; Chiron, Ceres, Pallas Athena, Juno, Vesta; North Node, Lilith, Part of
  // Fortune, Vertex, East Point; Ascendant, Midheaven. The second block stays zero.
  const double values[kPlanetCount] = {10, 10, 7, 7, 7, 7, 7, 5, 5, 5, 3,
                                       2,  2,  2, 2, 3, 2, 2, 2, 2, 8, 8};
  for (int i = 0; i < kPlanetCount; ++i) planets.values[static_cast<std::size_t>(i)] = values[i];
  planets.enabled = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1};
}

bool writeDefaultSettings(SettingsStore& store, const DefaultSettings& s) {
  bool ok = store.write(IntSetting::Langpro, s.programLanguage);
  ok = store.write(IntSetting::Langhor, s.horoscopeLanguage) && ok;
  ok = store.write(IntSetting::Metaixmio, s.borderlineDegrees) && ok;
  ok = store.write(IntSetting::Zodcyber, s.zodiacRulersAlways) && ok;
  ok = store.write(IntSetting::Borderinter, s.borderlineInterpretation) && ok;
  ok = store.write(IntSetting::Chrul, s.changeRulers) && ok;
  ok = store.writeDefaultPlace(s.place) && ok;
  ok = store.writeAspects(s.aspects) == TableSave::Saved && ok;
  ok = store.writePlanets(s.planets) == TableSave::Saved && ok;
  return ok;
}

}  // namespace orvenda
