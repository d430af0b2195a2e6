// The zone of a point from the shipped boundaries: the places the 2013 zone list got
// wrong, coordinates with no place near them, the sea, and a damaged file.
#include "places/zone_polygons.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "places/zone_offset.h"
#include "support/temp_dir.h"

namespace orvenda::places {
namespace {

const ZonePolygons& shipped() {
  static const ZonePolygons z = [] {
    std::string why;
    auto loaded = ZonePolygons::load(ORVENDA_ZONES_FILE, why);
    if (!loaded) ADD_FAILURE() << why;
    return loaded ? std::move(*loaded) : ZonePolygons{};
  }();
  return z;
}

struct Expected {
  const char* place;
  double lat, lon;
  const char* zone;
  const char* date;   // local, noon
  int offsetMinutes;  // zdump's, at that date
};

TEST(ZonePolygons, PlacesAndCoordinatesTakeTheZoneTheyLieIn) {
  // Offsets as zdump prints them for those zones and dates (tzdata 2026f), e.g.
  // "zdump -v -c 2019,2020 Asia/Barnaul": +07 all of 2019.
  const Expected cases[] = {
      {"Barnaul", 53.3606, 83.7636, "Asia/Barnaul", "2019-01-15", 7 * 60},
      {"Kirov", 58.5966, 49.6601, "Europe/Kirov", "2019-07-15", 3 * 60},
      {"Lhasa", 29.65, 91.1, "Asia/Shanghai", "1975-01-15", 8 * 60},
      {"Golmud", 36.4167, 94.9, "Asia/Shanghai", "2019-07-15", 8 * 60},
      {"Ulyanovsk", 54.3282, 48.3866, "Europe/Ulyanovsk", "2019-01-15", 4 * 60},
      {"Kostanay", 53.2144, 63.6246, "Asia/Qostanay", "2019-01-15", 6 * 60},
      {"Saratov", 51.5406, 46.0086, "Europe/Saratov", "2019-07-15", 4 * 60},
      {"Astrakhan", 46.3497, 48.0408, "Europe/Astrakhan", "2019-07-15", 4 * 60},
      {"Punta Arenas", -53.1638, -70.9171, "America/Punta_Arenas", "2019-07-15", -3 * 60},
      {"Kronstadt", 59.9917, 29.7667, "Europe/Moscow", "2019-07-15", 3 * 60},
      // Coordinates far from any atlas place of their zone.
      {"Lord Howe Island", -31.5553, 159.0821, "Australia/Lord_Howe", "2019-07-15", 10 * 60 + 30},
      {"Eucla", -31.677, 128.8833, "Australia/Eucla", "2019-07-15", 8 * 60 + 45},
      {"Troll", -72.0114, 2.535, "Antarctica/Troll", "2019-07-15", 2 * 60},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.place);
    const auto zones = shipped().zonesAt(e.lat, e.lon);
    ASSERT_FALSE(zones.empty());
    EXPECT_EQ(zones.front(), e.zone);
    int y = 0, m = 0, d = 0;
    std::sscanf(e.date, "%d-%d-%d", &y, &m, &d);
    const ZoneOffset z = offsetAt(zones.front(), {y, m, d}, {12, 0, 0}, std::nullopt);
    EXPECT_EQ(z.kind, ZoneOffset::Kind::Unique);
    EXPECT_EQ(z.first.offsetSeconds, e.offsetMinutes * 60);
  }
}

// Every place of the shipped atlas has the zone of the boundary it lies in, but where
// tools/atlas/zone_disagreements.tsv says GeoNames' zone is taken, with its reason.
TEST(ZonePolygons, EveryPlaceOfTheAtlasHasItsBoundarysZone) {
  std::set<std::string> geonamesTaken;  // "CC atlas-zone boundary-zone"
  std::ifstream list(ORVENDA_ZONE_DISAGREEMENTS);
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    ASSERT_EQ(f.size(), 5u) << line;
    if (f[4] == "geonames") geonamesTaken.insert(f[0] + " " + f[1] + " " + f[2]);
  }
  ASSERT_FALSE(geonamesTaken.empty());
  // The atlas names a zone by its canonical name (Europe/Bratislava is Europe/Prague), as
  // the system's database links them.
  std::map<std::string, std::string> links;
  std::ifstream zi("/usr/share/zoneinfo/tzdata.zi");
  for (std::string line; std::getline(zi, line);) {
    std::istringstream f(line);
    std::string kind, target, name;
    if (f >> kind >> target >> name && kind == "L") links[name] = target;
  }
  auto canonical = [&](std::string z) {
    for (int i = 0; i < 8 && links.count(z); ++i) z = links[z];
    return z;
  };

  std::ifstream in(ORVENDA_ATLAS_FILE, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string atlas = text.str();
  // The zones' names, in the order the places index them.
  std::vector<std::string> zones;
  const auto zonesAt = atlas.find("\nzones: [");
  ASSERT_NE(zonesAt, std::string::npos);
  for (std::size_t at = zonesAt + 9; atlas[at] != ']';) {
    const auto open = atlas.find('"', at), close = atlas.find('"', open + 1);
    zones.push_back(atlas.substr(open + 1, close - open - 1));
    at = close + 1;
  }
  std::size_t places = 0, kept = 0;
  std::vector<std::string> wrong;
  std::stringstream lines(atlas.substr(atlas.find("\nplaces: [\n") + 11));
  for (std::string line; std::getline(lines, line) && line.starts_with('"');) {
    std::vector<std::string> f;
    std::stringstream fields(line.substr(1));
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    ASSERT_GE(f.size(), 6u) << line;
    const double lat = std::stod(f[3]), lon = std::stod(f[4]);
    const std::string& zone = zones.at(std::stoul(f[5]));
    const auto found = shipped().zonesAt(lat, lon);
    const std::string boundary = canonical(found.empty() ? nauticalZone(lon) : found.front());
    ++places;
    if (boundary == zone) continue;
    if (geonamesTaken.count(f[2] + " " + zone + " " + boundary)) {
      ++kept;
      continue;
    }
    wrong.push_back(f[0] + " (" + f[2] + "): " + zone + ", the boundary's " + boundary);
  }
  EXPECT_EQ(places, 135195u);
  EXPECT_LT(kept, 20u);  // the few points that lie across a border from their place
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " places, the first: " << wrong.front();
}

TEST(ZonePolygons, AtSeaThereIsNoZoneAndTheLongitudeGivesTheNauticalOne) {
  EXPECT_TRUE(shipped().zonesAt(0, -30).empty());
  EXPECT_EQ(nauticalZone(-30), "Etc/GMT+2");
  EXPECT_EQ(nauticalZone(0), "Etc/GMT");
  EXPECT_EQ(nauticalZone(7.49), "Etc/GMT");
  EXPECT_EQ(nauticalZone(7.5), "Etc/GMT-1");
  EXPECT_EQ(nauticalZone(179.9), "Etc/GMT-12");
  EXPECT_EQ(nauticalZone(-180), "Etc/GMT+12");
  EXPECT_TRUE(shipped().zonesAt(91, 0).empty());
  EXPECT_TRUE(shipped().zonesAt(0, 181).empty());
}

TEST(ZonePolygons, ALookUpReadsOnlyTheTreeAndOneLeaf) {
  const auto start = std::chrono::steady_clock::now();
  std::string why;
  const auto z = ZonePolygons::load(ORVENDA_ZONES_FILE, why);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->zonesAt(37.98376, 23.72784), std::vector<std::string>{"Europe/Athens"});
  // Generous: the benchmark has the figure; a whole read of 19 MB would show here.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST(ZonePolygons, ADamagedFileIsRefusedWithItsName) {
  testing::TempDir dir;
  std::string why;
  EXPECT_FALSE(ZonePolygons::load(dir.path() + "/missing.bin", why));
  EXPECT_NE(why.find("can't read the zone boundaries"), std::string::npos);
  std::ofstream(dir.path() + "/junk.bin") << "not boundaries at all";
  EXPECT_FALSE(ZonePolygons::load(dir.path() + "/junk.bin", why));
  EXPECT_NE(why.find("is not a file of zone boundaries"), std::string::npos);
  // The real file cut short inside its tree.
  std::ifstream in(ORVENDA_ZONES_FILE, std::ios::binary);
  std::string head(20000, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  std::ofstream(dir.path() + "/cut.bin", std::ios::binary) << head;
  EXPECT_FALSE(ZonePolygons::load(dir.path() + "/cut.bin", why));
  EXPECT_NE(why.find("is damaged"), std::string::npos);
}

}  // namespace
}  // namespace orvenda::places
