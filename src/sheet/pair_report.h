// Two people in words and pictures: the reading of the relationship (the contacts between
// the charts, each one's planets in the other's houses, the composite chart's Sun) and the
// report (the two charts in one wheel, the grid of their aspects, the houses each falls in,
// the composite and Davison wheels, the reading). Pure functions of the charts and the sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "natal/natal_chart.h"
#include "natal/pair.h"
#include "sheet/reading.h"

namespace orvenda::report {

struct Pair {
  std::string nameA, nameB;    // UTF-8, as the charts are named; never inflected
  std::string birthA, birthB;  // each birth as one line
  const natal::NatalChart* a = nullptr;
  const natal::NatalChart* b = nullptr;
  std::vector<natal::AspectFound> aspects;  // `a` a point of A, `b` of B, closest first
  std::vector<natal::Overlay> aInB, bInA;   // A's points in B's houses, B's in A's
  const natal::NatalChart* composite = nullptr;
  const natal::NatalChart* davison = nullptr;
  bool greek = false;
};

// The keys a contact's text is looked for under, closest first: the aspect itself between
// the two planets (read both ways), its nature, the general sense of contacts of that nature.
std::vector<std::string> synastryKeys(int pointA, int aspect, int pointB);

// The reading of the two, each text once: a key shared by several contacts (A's Venus on
// B's Mars and B's Venus on A's Mars) is read once with all of them named above it.
reading::Reading composePairReading(const Pair& pair, const reading::TextSet& texts);

std::string pairReportHtml(const Pair& pair, const reading::Reading& reading);

}  // namespace orvenda::report
