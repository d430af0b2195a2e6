// The time zone of a point on the Earth, from the boundaries of the time-zone database's
// zones (timezone-boundary-builder, © OpenStreetMap contributors, ODbL 1.0), in the
// compact file tools/atlas/make_zone_polygons.mjs writes. A look-up reads the file's
// tree once and then only the one leaf of polygons the point falls in.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvenda::places {

class ZonePolygons {
 public:
  // Nothing, and the reason in why, for a file that can't be read or isn't one.
  static std::optional<ZonePolygons> load(const std::string& path, std::string& why);

  // The zones whose polygons hold the point (degrees, east and north positive), the first
  // the one to take; empty at sea, beyond every zone's territorial waters.
  std::vector<std::string> zonesAt(double latitude, double longitude) const;

  std::size_t zoneCount() const { return zones_.size(); }

 private:
  // A node of the tree; zones (kind 2) are zoneIds_[a, a + b), polygons (kind 3) the
  // blob's bytes [a, a + b). Flat, so a process reads the tree in about a millisecond.
  struct Node {
    std::int32_t child[4] = {-1, -1, -1, -1};
    std::uint32_t a = 0, b = 0;
    std::uint8_t kind = 0;  // 0 none, 1 inner, 2 zones, 3 polygons
  };
  std::vector<std::uint16_t> zoneIds_;
  std::string path_;
  double unit_ = 0;
  std::vector<std::string> zones_;
  std::vector<Node> nodes_;
  std::uint64_t blobStart_ = 0;
  // The leaves read so far, by node: an import asks thousands of times, often nearby.
  // Shared by copies; at most the file's size.
  std::shared_ptr<std::map<std::size_t, std::vector<std::uint8_t>>> leaves_ =
      std::make_shared<std::map<std::size_t, std::vector<std::uint8_t>>>();
};

// The nautical zone of a longitude at sea, as the database names it: Etc/GMT-10 is ten
// hours east of Greenwich (15° of longitude each, Greenwich's from 7.5° W to 7.5° E).
std::string nauticalZone(double longitude);

// The working directory's boundaries file, else the installed one, else the build tree's;
// ORVENDA_ZONES names another.
std::string findZonePolygons(const std::string& workDir);

}  // namespace orvenda::places
