// The one door to the ephemeris: positions of bodies and the houses of a place at a
// moment. The chart's rules sit above it, so tests can hold them apart from the library.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orvenda::natal {

struct BodyPosition {
  double longitude = 0;   // ecliptic, degrees, 0 <= λ < 360
  double latitude = 0;    // ecliptic, degrees
  double speed = 0;       // degrees of longitude a day
  bool analytic = false;  // from the built-in analytic ephemeris, not the data files
};

struct HouseFrame {
  std::array<double, 12> cusps{};
  std::array<double, 12> cuspSpeeds{};
  double ascendant = 0, midheaven = 0, armc = 0, vertex = 0, eastPoint = 0;
  double ascendantSpeed = 0, midheavenSpeed = 0, vertexSpeed = 0, eastPointSpeed = 0;
  char system = 'P';      // the system the cusps are of
  bool fellBack = false;  // the system asked for could not be computed here: Porphyry
};

class Ephemeris {
 public:
  virtual ~Ephemeris() = default;
  // Body 0..16 of the planet table (Sun .. Pluto, Chiron, Ceres, Pallas, Juno, Vesta, the
  // mean node, the mean lunar apogee); nothing when it can't be computed for that moment.
  virtual std::optional<BodyPosition> body(double julianDayUt, int point) = 0;
  // A body's place referred to the mean equinox of the date, without nutation, which moves
  // every longitude of a moment alike: what the angle between two bodies at one moment
  // needs, at about half the cost. The body's own place where there is nothing cheaper.
  virtual std::optional<BodyPosition> bodyWithoutNutation(double julianDayUt, int point) {
    return body(julianDayUt, point);
  }
  // The nutation in longitude at a moment, degrees: what body() adds to
  // bodyWithoutNutation() (nothing where the two are one).
  virtual double nutationInLongitude(double /*julianDayUt*/) { return 0; }
  // The houses of a system (its one-letter code) at a place, east and north positive.
  virtual HouseFrame houses(double julianDayUt, double latitude, double longitude, char system) = 0;
  // ΔT = TT − UT, in seconds.
  virtual double deltaTSeconds(double julianDayUt) = 0;
  // ΔT as the analytic ephemeris has it: each ephemeris has its own Moon, and with it its
  // own tidal acceleration and ΔT before the telescope (68.8 s apart in the year 100).
  virtual double analyticDeltaTSeconds(double julianDayUt) { return deltaTSeconds(julianDayUt); }
  // The true altitude above the horizon, in degrees, of a point of ecliptic longitude and
  // latitude, seen from a place (east and north positive) at a moment.
  virtual double altitude(double julianDayUt, double latitude, double longitude,
                          double eclipticLongitude, double eclipticLatitude) = 0;
  // The true obliquity of the ecliptic at a moment, degrees.
  virtual double obliquity(double /*julianDayUt*/) { return 23.4392911; }
  // The houses of a system from the right ascension of the Midheaven (ARMC, degrees) at a
  // latitude and obliquity: what a progressed Midheaven gives at the birth latitude.
  virtual HouseFrame housesFromArmc(double armc, double latitude, double obliquity, char system);
  // The data files a moment needs that are not where the ephemeris looks for them.
  virtual std::vector<std::string> missingFiles(double /*julianDayUt*/) { return {}; }
  // A fixed star of the star file, by a name or a ",Bayer" designation (",alTau"), at a
  // moment: its ecliptic longitude and latitude of date and its visual magnitude; nothing
  // when the file or the star isn't there.
  struct StarPosition {
    double longitude = 0, latitude = 0, magnitude = 0;
  };
  virtual std::optional<StarPosition> star(double /*julianDayUt*/, const std::string& /*name*/) {
    return std::nullopt;
  }

  // An eclipse as the library finds it: the instant of greatest eclipse (UT), its kind, its
  // magnitude (a solar eclipse's: the fraction of the Sun's diameter covered where it is
  // greatest; a lunar eclipse's: the umbral magnitude, below zero for a penumbral one) and
  // its Saros series and member.
  enum class EclipseKind { Total, Annular, Hybrid, Partial, Penumbral };
  struct EclipseAt {
    double maximum = 0;
    EclipseKind kind = EclipseKind::Partial;
    double magnitude = 0;
    int saros = 0, sarosMember = 0;
  };
  // The first solar or lunar eclipse after a moment (or, backward, the last before it);
  // nothing where the ephemeris can't say.
  virtual std::optional<EclipseAt> solarEclipse(double /*julianDayUt*/, bool /*backward*/) {
    return std::nullopt;
  }
  virtual std::optional<EclipseAt> lunarEclipse(double /*julianDayUt*/, bool /*backward*/) {
    return std::nullopt;
  }
  // A solar eclipse seen from a place (east and north positive): its greatest phase there,
  // the first and last contacts (0 where they fall below the horizon or are not), the
  // fraction of the Sun's diameter covered and of its disc, and the Sun's altitude then.
  struct LocalEclipse {
    double maximum = 0, begins = 0, ends = 0;
    double magnitude = 0, obscuration = 0, sunAltitude = 0;
    EclipseKind kind = EclipseKind::Partial;
    bool visible = false;         // some phase of it above the horizon
    bool maximumVisible = false;  // its greatest phase above the horizon
  };
  // The first solar eclipse seen at a place after a moment.
  virtual std::optional<LocalEclipse> localSolarEclipse(double /*julianDayUt*/, double /*latitude*/,
                                                        double /*longitude*/) {
    return std::nullopt;
  }
  // A lunar eclipse seen from a place: the first after a moment of which some phase is above
  // the horizon there. `maximum` is its greatest phase there (the moonrise or moonset where
  // the true greatest falls below the horizon), `begins` and `ends` the umbra's contacts (a
  // penumbral eclipse's penumbra's), 0 where below the horizon; `sunAltitude` the Moon's.
  virtual std::optional<LocalEclipse> localLunarEclipse(double /*julianDayUt*/, double /*latitude*/,
                                                        double /*longitude*/) {
    return std::nullopt;
  }
  // The Sun's next rising (or setting) at a place after a moment: its upper limb on the
  // horizon with the refraction of a standard atmosphere. Nothing where it doesn't rise or
  // set (beyond the polar circles) or the ephemeris can't say.
  virtual std::optional<double> sunRiseOrSet(double /*julianDayUt*/, double /*latitude*/,
                                             double /*longitude*/, bool /*rising*/) {
    return std::nullopt;
  }
};

// The Swiss Ephemeris: data files from SE_EPHE_PATH when it is set, else the system's
// folder of them; the analytic ephemeris where the files don't reach.
Ephemeris& swissEphemeris();
// Where the data files are looked for.
std::string ephemerisPath();

}  // namespace orvenda::natal
