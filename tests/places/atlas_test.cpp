// The atlas as shipped, held against the system's time-zone database and against what
// people type: every place in a zone of its own country (or one that keeps the same
// offsets), and the names of other languages, the Greek ones and "St" found.
#include <gtest/gtest.h>

#include <date/tz.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "places/atlas.h"
#include "support/temp_dir.h"
#include "tool/commands.h"

namespace orvenda::places {
namespace {

const Atlas& realAtlas() {
  static const Atlas atlas = [] {
    std::string why;
    auto a = Atlas::load(ORVENDA_ATLAS_FILE, why);
    if (!a) throw std::runtime_error(why);
    return std::move(*a);
  }();
  return atlas;
}

// The offsets a zone keeps in the middle of winter and of summer 2024, as the system
// gives them.
std::pair<long, long> offsetsOf(const std::string& zone) {
  const date::time_zone* tz = date::locate_zone(zone);
  auto at = [&](int month) {
    return static_cast<long>(
        tz->get_info(date::sys_days{date::year{2024} / month / 15}).offset.count());
  };
  return {at(1), at(7)};
}

// The build's check, on the atlas as shipped: a place's zone keeps offsets that some
// zone of its own country (zone.tab) keeps. The polygon look-up the atlas once used put
// 579 places outside it (Pago Pago at +14 instead of -11).
TEST(ShippedAtlas, EveryPlaceKeepsTheOffsetsOfAZoneOfItsCountry) {
  std::map<std::string, std::set<std::string>> zonesOf;
  std::ifstream tab("/usr/share/zoneinfo/zone.tab");
  ASSERT_TRUE(tab);
  for (std::string line; std::getline(tab, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string country, coordinates, zone;
    fields >> country >> coordinates >> zone;
    zonesOf[country].insert(date::locate_zone(zone)->name());
  }
  const Atlas& atlas = realAtlas();
  ASSERT_GE(atlas.size(), 135000u);
  std::map<std::string, std::pair<long, long>> cache;
  auto offsets = [&](const std::string& zone) {
    auto found = cache.find(zone);
    if (found == cache.end()) found = cache.emplace(zone, offsetsOf(zone)).first;
    return found->second;
  };
  // Another country's zone is right where its boundary says so and the list of
  // disagreements with GeoNames gives the reason (Abkhazia keeps Moscow time).
  std::set<std::string> reasoned = {
      "KG Asia/Dushanbe",  // Ak-Say: the boundaries put it on Tajikistan's side, as GeoNames does
      "VN Asia/Shanghai",  // Hoàng Sa, the Paracel Islands, which China holds
  };
  std::ifstream list(ORVENDA_ZONE_DISAGREEMENTS);
  for (std::string line; std::getline(list, line);) {
    std::istringstream fields(line);
    std::string country, from, to;
    std::getline(fields, country, '\t'), std::getline(fields, from, '\t'),
        std::getline(fields, to, '\t');
    if (!line.empty() && line[0] != '#' && line.ends_with("\tboundary"))
      reasoned.insert(country + " " + to);
  }
  int outside = 0;
  std::string examples;
  for (std::size_t i = 0; i < atlas.size(); ++i) {
    const Place& p = atlas.place(i);
    const auto own = zonesOf.find(std::string(p.country));
    const std::string zone = date::locate_zone(std::string(p.zone))->name();
    if (own == zonesOf.end() || own->second.count(zone)) continue;
    if (reasoned.count(std::string(p.country) + " " + std::string(p.zone))) continue;
    bool kept = false;
    for (const auto& z : own->second) kept = kept || offsets(z) == offsets(zone);
    if (!kept) {
      ++outside;
      if (outside <= 10)
        examples += std::string(p.name) + " (" + std::string(p.country) + ") " + zone + "\n";
    }
  }
  EXPECT_EQ(outside, 0) << examples;
}

TEST(ShippedAtlas, PlacesByTheirNamesInOtherLanguagesAndSaintAsOneWord) {
  const Atlas& atlas = realAtlas();
  auto resolved = [&](const char* query) {
    const Place* p = atlas.resolve(query);
    return p ? std::string(p->name) + ", " + std::string(p->country) + ", " + std::string(p->zone)
             : std::string("nothing");
  };
  EXPECT_EQ(resolved("München"), "Munich, DE, Europe/Berlin");
  EXPECT_EQ(resolved("Wien"), "Vienna, AT, Europe/Vienna");
  EXPECT_EQ(resolved("Roma"), "Rome, IT, Europe/Rome");
  EXPECT_EQ(resolved("Lisboa"), "Lisbon, PT, Europe/Lisbon");
  EXPECT_EQ(resolved("Bruxelles"), "Brussels, BE, Europe/Brussels");
  EXPECT_EQ(resolved("Αθήνα"), "Athens, GR, Europe/Athens");
  EXPECT_EQ(resolved("Θεσσαλονίκη"), "Thessaloníki, GR, Europe/Athens");
  // A country by the name its own people or its neighbours write.
  EXPECT_EQ(resolved("München, Deutschland"), "Munich, DE, Europe/Berlin");
  EXPECT_EQ(resolved("Paris, Frankreich"), "Paris, FR, Europe/Paris");
  EXPECT_EQ(resolved("Lyon, France"), "Lyon, FR, Europe/Paris");
  EXPECT_EQ(resolved("Sevilla, España"), "Sevilla, ES, Europe/Madrid");
  EXPECT_EQ(resolved("Αθήνα, Ελλάδα"), "Athens, GR, Europe/Athens");
  EXPECT_EQ(atlas.countryName("DE"), "Germany");  // the shown names stay English and Greek
  EXPECT_EQ(atlas.countryNameGreek("DE"), "Γερμανία");
  EXPECT_EQ(resolved("St Louis, US"), "St. Louis, US, America/Chicago");
  EXPECT_EQ(resolved("Saint Louis, Missouri, US"), "St. Louis, US, America/Chicago");
  // A place's own name before another's alternate one: Delhi is "Dili" to some.
  EXPECT_EQ(resolved("Dili"), "Dili, TL, Asia/Dili");
  EXPECT_EQ(resolved("Springfield, US"), "nothing") << "two of a size: the user must choose";
  // By another language's name too, when the place is ten times as large: Poznań is
  // Posen in German, and Posen, Illinois is a village.
  EXPECT_EQ(resolved("Posen"), "Poznań, PL, Europe/Warsaw");
  // Heraklion (137,154, Ηράκλειο Κρήτης, Irakleio) and Irákleio near Athens (49,642): not
  // ten times apart, so the user chooses, the larger listed first.
  std::vector<const Place*> found;
  EXPECT_EQ(atlas.resolve("Ηράκλειο", &found), nullptr);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0]->region, "Crete");
  // Every list of places is the largest first: Rome before Roma, Texas.
  const auto roma = atlas.search("Roma");
  ASSERT_GE(roma.size(), 2u);
  EXPECT_EQ(std::string(roma[0]->name) + ", " + std::string(roma[0]->country), "Rome, IT");
  for (std::size_t i = 1; i < roma.size(); ++i) {
    if (roma[i]->name != "Roma" && roma[i]->name != "Rome") break;  // names that start so
    EXPECT_LE(roma[i]->population, roma[i - 1]->population) << i;
  }
  EXPECT_EQ(atlas.resolve("Athens, GR")->greekName, "Αθήνα");
}

// The five charts the old atlas wrote with another country's offset, written by
// orvenda-chart new: each with its place's real offset, as the system's zdump has it.
TEST(ShippedAtlas, ChartsOfPlacesNearABorderGetTheirOwnOffset) {
  testing::TempDir dir;
  dir.mkdir("NAMES");
  ::setenv("ORVENDA_ATLAS", ORVENDA_ATLAS_FILE, 1);
  struct Case {
    const char* place;
    int gmtHours, gmtMinutes;
  } cases[] = {
      {"Pago Pago, AS", -11, 0},      // not Apia's +14 (Samoa)
      {"Dili, TL", 9, 0},             // not Makassar's +8
      {"Dandong, CN", 8, 0},          // not Pyongyang's +9
      {"Didymóteicho, GR", 3, 0},     // +3 in summer as Istanbul; winter below
      {"First Mesa, US", -7, 0},      // Arizona's time, not Denver's -6 in summer
      {"Vevay, Indiana, US", -4, 0},  // Indiana's Eastern time
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    ASSERT_EQ(tool::runTool({"-C", dir.path(), "new", "x", "--date", "2024-07-01", "--time",
                             "12:00", "--place", c.place, "--force"},
                            out, err),
              0)
        << c.place << ": " << err.str();
    char fields[32];
    std::snprintf(fields, sizeof fields, "%5d   %02d ", c.gmtHours, c.gmtMinutes);
    EXPECT_NE(out.str().find(fields), std::string::npos) << c.place << ":\n" << out.str();
    EXPECT_NE(err.str().find("place: "), std::string::npos) << "says which place it used";
  }
  // In winter the Greek border town keeps Athens' +2, where Istanbul keeps +3.
  std::ostringstream out, err;
  ASSERT_EQ(tool::runTool({"-C", dir.path(), "new", "x", "--date", "2024-01-15", "--time", "12:00",
                           "--place", "Didymóteicho, GR", "--force"},
                          out, err),
            0);
  EXPECT_NE(out.str().find("    2   00 "), std::string::npos) << out.str();
  ::unsetenv("ORVENDA_ATLAS");
}

// From the second exact look-up on, places are found through an index of their names:
// it must find what reading every place finds (search() still reads them all, and lists
// the exact matches first).
TEST(ShippedAtlas, TheNameIndexFindsWhatReadingEveryPlaceFinds) {
  const Atlas& atlas = realAtlas();
  atlas.find("Athens");  // the index is made from here on
  int queries = 0;
  for (std::size_t i = 0; i < atlas.size(); i += 1999) {
    const Place& p = atlas.place(i);
    for (const std::string& q :
         {std::string(p.name), std::string(p.name) + ", " + std::string(p.country)}) {
      const auto found = atlas.find(q);
      const auto read = atlas.search(q);
      ASSERT_LE(found.size(), read.size()) << q;
      EXPECT_TRUE(std::equal(found.begin(), found.end(), read.begin())) << q;
      EXPECT_NE(std::find(found.begin(), found.end(), &p), found.end()) << q;
      ++queries;
    }
  }
  EXPECT_GT(queries, 100);
}

}  // namespace
}  // namespace orvenda::places
