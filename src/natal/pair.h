// Two charts: the aspects between them (synastry), each one's points in the other's houses,
// and the two charts of the relationship: the composite (the midpoints) and the Davison (the
// sky of the moment and place halfway between the births). Pure functions of two charts and
// the configuration.
#pragma once

#include <vector>

#include "natal/natal_chart.h"

namespace orvenda::natal {

class Ephemeris;

// A point of one chart in a house of the other.
struct Overlay {
  int point = 0;  // of the chart whose point it is
  int house = 0;  // of the other chart, 1..12
};

// The points of `guest` in the houses of `host`; nothing when the host's time is not known.
std::vector<Overlay> overlays(const NatalChart& guest, const NatalChart& host);

// The midpoint of two longitudes on the shorter arc between them (the near midpoint); of two
// exactly opposite, a quarter of the circle after the smaller longitude, in either order.
double nearMidpoint(double a, double b);

// Where two charts were drawn, to derive the relationship's charts from.
struct PairPlaces {
  double longitudeA = 0, latitudeA = 0, longitudeB = 0, latitudeB = 0;
};
// The place halfway between two: the latitudes averaged, the longitude the near midpoint.
void midPlace(const PairPlaces& places, double& longitude, double& latitude);

// The composite chart: each point both charts have at the near midpoint of its two places;
// the Midheaven likewise, the Ascendant and the houses derived from it at the latitude of
// the place halfway between the births; the aspects within it as in a natal chart. With either
// time not known, no angles, houses or points that need them.
NatalChart compositeChart(const NatalChart& a, const NatalChart& b, const PairPlaces& places,
                          const ChartConfig& config, char houseSystem, Ephemeris& ephemeris);

// The Davison chart: the natal chart of the universal instant halfway between the births, at
// the place halfway between them.
NatalChart davisonChart(const NatalChart& a, const NatalChart& b, const PairPlaces& places,
                        const ChartConfig& config, char houseSystem, Ephemeris& ephemeris);

}  // namespace orvenda::natal
