// A birth's place and offset as a record holds them: the zone a point lies in, the offset
// of a local clock time there (with what a user should be told of it), the record's place
// fields, and a place of the atlas as one line of a table. Pure: the atlas and the zone
// boundaries come in read, and what is to be said goes out as notes, for the caller to say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "birth/birth_record.h"
#include "places/atlas.h"
#include "places/fields.h"
#include "places/zone_offset.h"
#include "places/zone_polygons.h"

namespace orvenda::places {

// What a user should be told along the way, a sentence each, in the order found.
using Notes = std::vector<std::string>;

// The zone of a birth place given by its coordinates (arc seconds): the one whose boundary
// holds it; at sea, the nautical zone of the longitude. The notes say which, and name the
// nearest atlas place for the user's information. Without the boundaries (`zones` null,
// `zonesWhy` saying why) only a point that is surely at sea has a zone; elsewhere nothing,
// and `why` says that the file is missing and where it was looked for.
std::optional<std::string> zoneAtCoordinates(const ZonePolygons* zones, const std::string& zonesWhy,
                                             const Atlas* atlas, std::int32_t latitude,
                                             std::int32_t longitude, Notes& notes,
                                             std::string& why);
// How far out at sea a point must be to be taken for sea without the boundaries file: no
// place of the atlas nearer, and no farther from the equator.
inline constexpr double kSeaWithoutBoundariesKm = 1000;
inline constexpr double kSeaWithoutBoundariesLatitude = 60;

struct Settled {
  int minutes = 0;
  bool ok = false;
};
// How to settle a time that was skipped or passed twice, given the two periods; without
// one, the advice names --offset.
using SettleAdvice = std::string (*)(const ZonePeriod& a, const ZonePeriod& b);
// The offset for a birth, as new and import settle it; the reason when it can't be.
// `choice` is an offset the user (or a Julian day) gave.
// `choiceIs` says where `choice` came from, in the note given where the zone kept another
// offset: "as given" for the user's own.
Settled settleOffset(const std::string& zone, const CivilDate& d, const ClockTime& tm,
                     std::int32_t longitude, std::optional<int> choice, Notes& notes,
                     std::string& why, SettleAdvice advice = nullptr,
                     const std::string& choiceIs = "as given");

struct Birth {
  CivilDate date;
  ClockTime time;
  std::int32_t latitude = 0, longitude = 0;
  std::string zone;
  // Where an offset handed to fillRecord came from, as settleOffset's note says it.
  std::string choiceIs = "as given";
};
// Fills the record's date, time, place and offset fields; false with the reason when the
// offset can't be settled.
bool fillRecord(const Birth& b, std::optional<int> choice, BirthRecord& r, Notes& notes,
                std::string& why, SettleAdvice advice = nullptr);

// A place of the atlas as a row of the place table, in the program's fields.
std::string placeLine(const Atlas& atlas, const Place& p);
constexpr const char* kPlaceHeader =
    "PLACE                    REGION                 COUNTRY                         LON  Min  Sec "
    " "
    "LAT  Min  Sec  ZONE                   POPULATION";
// Which place a query was taken for (name, region, country, zone), and the others of that
// name where there were several: "place: Paris, Île-de-France, FR France, Europe/Paris".
std::string placeTaken(const Atlas& atlas, const Place& p, const std::vector<const Place*>& found);

// The one place a query names, or why there is none: no such place (with names that start
// so), or several (with a table of them, each row with the --lon and --lat that choose it).
struct PlaceChoice {
  const Place* place = nullptr;
  std::string taken;                 // placeTaken's line, where one place was found
  std::string why;                   // the reason, where none was
  std::vector<std::string> choices;  // where several were: the table's lines, after `why`
};
PlaceChoice choosePlace(const Atlas& atlas, const std::string& query);

}  // namespace orvenda::places
