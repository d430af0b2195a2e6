// A body's longitude along time, as every moment that matters beyond the birth is found:
// sampled with its speed at a pace the body allows, read between samples as a cubic
// (Hermite) curve, so that each pass over a longitude and each station falls between two
// samples and is solved there. No pass of a retrograde loop can fall between two samples:
// the steps are days, the loops weeks to months.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "natal/ephemeris.h"

namespace orvenda::cycles {

// A longitude (and its speed) at a Julian day of the scanner's own time; nothing where it
// can't be given (an asteroid outside its data file's years).
using LongitudeAt = std::function<std::optional<natal::BodyPosition>(double jd)>;

// Longitudes to watch, each with the caller's id.
struct Threshold {
  double longitude = 0;  // 0 <= λ < 360
  int id = 0;
};

struct Crossing {
  double jd = 0;
  int id = 0;
  bool forward = true;  // toward greater longitudes
};

struct Station {
  double jd = 0;
  double longitude = 0;
  bool retrograde = true;  // turns retrograde; else direct
};

class ScanVisitor {
 public:
  virtual ~ScanVisitor() = default;
  // The first sample of a run, at the scan's start or after a gap.
  virtual void start(double /*jd*/, double /*longitude*/) {}
  virtual void crossing(const Crossing& c) = 0;
  virtual void station(const Station& s) = 0;
  // The body could not be given from `from` to `to`: what lies between is not known.
  virtual void gap(double /*from*/, double /*to*/) {}
};

// How far a body's steps may be, in days, for its curve to stay within a few tenths of an
// arc second of the ephemeris: its fastest changes of speed set it. Light bends about
// the Sun faster than that within a day of a conjunction (seconds of arc); a slow planet's
// passes are solved again on the ephemeris, so that costs no minute.
double stepFor(int point);
// How far the curve of a body sampled so may stand from the ephemeris, in degrees.
double errorBoundFor(int point);

class Scanner {
 public:
  Scanner(LongitudeAt at, double step);
  // How far from the truth the curve may stand, in degrees: where that is more than half
  // a minute of the body's motion (a slow planet, a station), refine() solves a pass again
  // on the ephemeris itself.
  void setErrorBound(double degrees) { bound_ = degrees; }
  // The stations asked for: those of [from, to) alone are solved on the ephemeris and
  // reported (a slow planet's scan reaches years beyond the period, and each station solved
  // costs a dozen positions).
  void setStationsWithin(double from, double to) { stationsFrom_ = from, stationsTo_ = to; }
  // A pass found by the scan, made exact where the curve alone is not close enough. Only
  // the passes that are kept need it, so the scan leaves it to its caller.
  double refine(double jd, double longitude);

  // Walks [from, to], reporting in time order each pass over a threshold (a pass exactly
  // at `from` counts, one exactly at `to` doesn't) and each station.
  void scan(double from, double to, const std::vector<Threshold>& thresholds, ScanVisitor& visitor);

  // The longitude at a moment of the last scan's span, from the samples (0 <= λ < 360);
  // nothing outside it or in a gap.
  std::optional<double> longitudeAt(double jd) const;
  // Whether any sample came from the analytic ephemeris.
  bool analytic() const { return analytic_; }

 private:
  struct Sample {
    double jd;
    double longitude;  // unwrapped: continuous along the samples
    double speed;
    bool ok;
  };
  Sample sample(double jd);
  void interval(const Sample& a, const Sample& b, int depth, ScanVisitor& v);
  void piece(const Sample& a, const Sample& b, double s0, double s1, ScanVisitor& v);
  const Sample* before(double jd) const;
  double refineStation(const Sample& a, const Sample& b, double guess, double& longitude);

  LongitudeAt at_;
  double step_;
  double bound_ = 0;
  double stationsFrom_ = -1e300, stationsTo_ = 1e300;
  bool analytic_ = false;
  std::vector<Sample> samples_;
  std::vector<Threshold> sorted_;
  double from_ = 0, to_ = 0;
};

// Solves one instant exactly where a longitude reaches a value, from a bracket, with the
// ephemeris itself (Newton's method kept inside the bracket): the returns' to-the-second.
std::optional<double> solveLongitude(const LongitudeAt& at, double target, double lo, double hi,
                                     double toleranceDays);

}  // namespace orvenda::cycles
