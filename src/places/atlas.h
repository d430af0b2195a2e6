// The offline atlas: every place of GeoNames' cities1000 with its country, region,
// coordinates and time zone, read from the script that the place page loads too.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvenda::places {

struct Place {
  std::string_view name, otherName, country;
  std::string_view region, regionCode;       // GeoNames' first-order region: "Illinois", "IL"
  std::int32_t latitude = 0, longitude = 0;  // arc seconds, north and east positive
  std::string_view zone;
  long population = 0;
  std::string_view greekName;   // a place of Greece or Cyprus, in Greek: "Αθήνα"
  std::string_view alternates;  // other names in Latin and Greek script, split by '|'
};

// Lower case without accents, for matching what people type: "São Paulo" and
// "SAO PAULO" are both "sao paulo"; Greek loses its tonos and final sigma.
std::string foldName(std::string_view utf8);
// The key a place name is matched by: folded, without full stops, and with "St", "St."
// and "Saint" (and "Ste", "Sainte") as one word: "St. Louis" and "Saint Louis" are both
// "saint louis".
std::string matchKey(std::string_view utf8);

// Among the places a name fits, the one this many times as large as any other is meant;
// except that a place of kOwnNameCity people or more whose own name it is keeps it from a
// larger place that only another language calls so.
inline constexpr long kClearFactor = 10;
inline constexpr long kOwnNameCity = 100000;

class Atlas {
 public:
  // Reads the atlas script; nothing, with the reason in `why`, when it can't.
  static std::optional<Atlas> load(const std::string& path, std::string& why);

  // "City", "City, CC", "City, Country", "City, Region, CC": the places of exactly that
  // name (or other or alternate name) that lie in every country and region named after it,
  // the largest first.
  std::vector<const Place*> find(std::string_view query) const;
  // The one place a query means: the only one found, or among several the one that is
  // ten times as large as any other ("St Louis, US" is St. Louis, Missouri, not the
  // village in Michigan). Nothing when there is none, or no clear one.
  const Place* resolve(std::string_view query, std::vector<const Place*>* found = nullptr) const;
  // The same, with names that start with the city's text as well, exact ones first.
  std::vector<const Place*> search(std::string_view query) const;
  const Place* nearest(std::int32_t latitude, std::int32_t longitude) const;

  std::string countryName(std::string_view code) const;
  std::string countryNameGreek(std::string_view code) const;
  // An ISO 3166 code from a code, an international vehicle code (D, GB, USA) or an
  // English or Greek country name; nothing when none matches.
  std::optional<std::string> countryCode(std::string_view text) const;
  std::size_t size() const { return lines_.size(); }
  // Place i, in the atlas's order (the largest first).
  const Place& place(std::size_t i) const;

 private:
  // Places called so by their own name first (name, other name, Greek name), then by an
  // alternate name, then (with prefixes) those whose names start so; ownNameMatches
  // counts the first.
  std::vector<const Place*> match(std::string_view query, bool prefixes,
                                  std::size_t* ownNameMatches = nullptr,
                                  std::size_t* exactMatches = nullptr) const;
  std::string_view line(std::size_t i) const;

  // Every place as a point on the unit sphere, in a k-d tree laid out in the array (each
  // range's middle element splits it), made on the first nearest(): an import of
  // thousands of records asks once per record.
  struct Point {
    float x, y, z;
    std::uint32_t index;
  };
  mutable std::shared_ptr<std::vector<Point>> tree_;

  // Every name's key to the places that bear it, their own names apart from their
  // alternate ones, made on the second exact look-up: one query reads the atlas once, an
  // import of thousands of records looks each place up in the index.
  struct NameIndex {
    std::unordered_map<std::string, std::vector<std::uint32_t>> own, alternate;
  };
  mutable std::shared_ptr<NameIndex> names_;
  mutable int exactLookUps_ = 0;
  const NameIndex& nameIndex() const;

  // The atlas's text, kept as it was read: a place is made from its line only when a
  // query needs it, which keeps a look-up far quicker than reading every place would be.
  std::shared_ptr<const std::string> text_;
  std::vector<std::uint32_t> lines_;  // where each place's line starts in the text
  std::shared_ptr<std::unordered_map<std::size_t, Place>> made_;
  std::shared_ptr<std::deque<std::string>> strings_;      // unescaped lines
  std::unordered_map<std::string, std::string> regions_;  // "US.NY" -> "New York"
  std::vector<std::string> zones_;
  std::unordered_map<std::string, std::pair<std::string, std::string>> countries_;  // en, el
  std::unordered_map<std::string, std::string> countryByName_;  // folded name -> code
};

// Where the atlas is: $ORVENDA_ATLAS, the working directory's assets, the installed
// copy beside the program, or the build tree's skeleton.
std::string findAtlas(const std::string& workDir);

}  // namespace orvenda::places
