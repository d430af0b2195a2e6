// The traditional chart as a page: the wheel with the lots and the bright stars marked
// outside the zodiac, the tables astrologers know (each planet's dignities and score, its
// condition by house, motion and the Sun), the sect, receptions, dispositors, the lots,
// the almuten, antiscia, declinations and the stars, then the reading and a short glossary
// naming the sources. In the horoscope language; a pure function of its parts.
#pragma once

#include <string>

#include "natal/natal_chart.h"
#include "sheet/reading.h"
#include "traditional/traditional.h"

namespace orvenda::report {

struct Traditional {
  std::string name;       // UTF-8, as the chart is named
  std::string birthLine;  // the birth data as one line, in the report's language
  const natal::NatalChart* chart = nullptr;
  const traditional::TraditionalChart* t = nullptr;
  bool greek = false;
};

std::string traditionalReportHtml(const Traditional& report, const reading::Reading& reading);

}  // namespace orvenda::report
