// Reading the boundaries file and finding the zone of a point: the quadtree descended as
// geo-tz descends it, so a point takes the zone geo-tz gives it, then an even-odd ray
// cast over the rings of each polygon of the leaf.
#include "places/zone_polygons.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>

namespace orvenda::places {
namespace {

struct Reader {
  const std::uint8_t* at;
  const std::uint8_t* end;
  bool ok = true;
  std::uint32_t u8() {
    if (at >= end) return ok = false, 0;
    return *at++;
  }
  std::uint32_t u16() { return u8() | u8() << 8; }
  std::uint32_t u32() { return u16() | u16() << 16; }
  std::uint64_t varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const std::uint32_t b = u8();
      if (!ok) return 0;
      v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
  std::int64_t zigzag() {
    const std::uint64_t v = varint();
    return (v & 1) ? -static_cast<std::int64_t>(v >> 1) - 1 : static_cast<std::int64_t>(v >> 1);
  }
};

}  // namespace

std::optional<ZonePolygons> ZonePolygons::load(const std::string& path, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return why = "can't read the zone boundaries " + path, std::nullopt;
  // The header: the signature, the unit, the zones' names and the tree's size.
  std::vector<std::uint8_t> head(16);
  in.read(reinterpret_cast<char*>(head.data()), 16);
  if (in.gcount() != 16 || std::memcmp(head.data(), "ORVTZ01\n", 8) != 0)
    return why = path + " is not a file of zone boundaries", std::nullopt;
  ZonePolygons z;
  z.path_ = path;
  Reader h{head.data() + 8, head.data() + 16};
  z.unit_ = h.u32();
  const std::uint32_t count = h.u32();
  if (z.unit_ <= 0 || count == 0 || count > 65535) return why = path + " is damaged", std::nullopt;
  for (std::uint32_t i = 0; i < count; ++i) {
    const int n = in.get();
    if (n <= 0) return why = path + " is damaged", std::nullopt;
    std::string name(static_cast<std::size_t>(n), '\0');
    in.read(name.data(), n);
    if (in.gcount() != n) return why = path + " is damaged", std::nullopt;
    z.zones_.push_back(std::move(name));
  }
  std::uint8_t sizeBytes[4];
  in.read(reinterpret_cast<char*>(sizeBytes), 4);
  const std::uint32_t treeSize = sizeBytes[0] | sizeBytes[1] << 8 | sizeBytes[2] << 16 |
                                 static_cast<std::uint32_t>(sizeBytes[3]) << 24;
  if (!in || treeSize > (64u << 20)) return why = path + " is damaged", std::nullopt;
  std::vector<std::uint8_t> tree(treeSize);
  in.read(reinterpret_cast<char*>(tree.data()), treeSize);
  if (static_cast<std::uint32_t>(in.gcount()) != treeSize)
    return why = path + " is damaged", std::nullopt;
  z.blobStart_ = static_cast<std::uint64_t>(in.tellg());

  Reader r{tree.data(), tree.data() + tree.size()};
  z.nodes_.reserve(tree.size() / 4);
  // Depth first, children a b c d; depth is bounded by the tree's bytes, and a loop keeps
  // the stack flat however deep the file says it is.
  std::vector<std::pair<std::int32_t, int>> pending;  // parent, child slot
  pending.push_back({-1, 0});
  while (!pending.empty() && r.ok) {
    const auto [parent, slot] = pending.back();
    pending.pop_back();
    Node n;
    n.kind = static_cast<std::uint8_t>(r.u8());
    if (n.kind == 2) {
      const std::uint32_t k = r.u8();
      n.a = static_cast<std::uint32_t>(z.zoneIds_.size());
      n.b = k;
      for (std::uint32_t i = 0; i < k; ++i) {
        const std::uint32_t id = r.u16();
        if (id >= count) r.ok = false;
        z.zoneIds_.push_back(static_cast<std::uint16_t>(id));
      }
    } else if (n.kind == 3) {
      n.a = r.u32();
      n.b = r.u32();
    } else if (n.kind > 3) {
      r.ok = false;
    }
    const auto index = static_cast<std::int32_t>(z.nodes_.size());
    if (parent >= 0) z.nodes_[static_cast<std::size_t>(parent)].child[slot] = index;
    const bool inner = n.kind == 1;
    z.nodes_.push_back(n);
    if (inner)
      for (int c = 3; c >= 0; --c) pending.push_back({index, c});
  }
  if (!r.ok || z.nodes_.empty() || z.nodes_[0].kind != 1)
    return why = path + " is damaged", std::nullopt;
  return z;
}

std::vector<std::string> ZonePolygons::zonesAt(double lat, double lon) const {
  std::vector<std::string> found;
  if (!(lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180) || nodes_.empty()) return found;
  lat = std::clamp(lat, -89.9999, 89.9999);
  lon = std::clamp(lon, -179.9999, 179.9999);
  double top = 89.9999, bottom = -89.9999, left = -179.9999, right = 179.9999;
  double midLat = 0, midLon = 0;
  const Node* node = &nodes_[0];
  for (int depth = 0; depth < 64; ++depth) {
    int q;
    if (lat >= midLat && lon >= midLon)
      q = 0, bottom = midLat, left = midLon;
    else if (lat >= midLat)
      q = 1, bottom = midLat, right = midLon;
    else if (lon < midLon)
      q = 2, top = midLat, right = midLon;
    else
      q = 3, top = midLat, left = midLon;
    if (node->child[q] < 0) return found;
    node = &nodes_[static_cast<std::size_t>(node->child[q])];
    if (node->kind == 0) return found;
    if (node->kind == 2) {
      for (std::uint32_t i = 0; i < node->b; ++i) found.push_back(zones_[zoneIds_[node->a + i]]);
      return found;
    }
    if (node->kind == 3) break;
    midLat = (top + bottom) / 2;
    midLon = (left + right) / 2;
  }
  if (node->kind != 3 || node->b > (16u << 20)) return found;

  const auto key = static_cast<std::size_t>(node - nodes_.data());
  auto cached = leaves_->find(key);
  if (cached == leaves_->end()) {
    std::vector<std::uint8_t> bytes(node->b);
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(blobStart_ + node->a));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) return found;
    cached = leaves_->emplace(key, std::move(bytes)).first;
  }
  const std::vector<std::uint8_t>& leaf = cached->second;
  const double x = lon * unit_, y = lat * unit_;
  Reader r{leaf.data(), leaf.data() + leaf.size()};
  const std::uint64_t features = r.varint();
  for (std::uint64_t f = 0; f < features && r.ok; ++f) {
    const std::uint64_t zone = r.varint();
    const std::uint64_t polygons = r.varint();
    bool inside = false;
    for (std::uint64_t p = 0; p < polygons && r.ok; ++p) {
      bool inPolygon = false;  // even-odd over the outer ring and its holes
      const std::uint64_t rings = r.varint();
      for (std::uint64_t g = 0; g < rings && r.ok; ++g) {
        const std::uint64_t points = r.varint();
        std::int64_t px = 0, py = 0;
        double firstX = 0, firstY = 0, prevX = 0, prevY = 0;
        for (std::uint64_t i = 0; i < points && r.ok; ++i) {
          px += r.zigzag();
          py += r.zigzag();
          const double cx = static_cast<double>(px), cy = static_cast<double>(py);
          if (i == 0) {
            firstX = cx, firstY = cy;
          } else if ((prevY > y) != (cy > y) &&
                     x < prevX + (y - prevY) * (cx - prevX) / (cy - prevY)) {
            inPolygon = !inPolygon;
          }
          prevX = cx, prevY = cy;
        }
        // A ring the file left open is closed here.
        if (points > 1 && (prevX != firstX || prevY != firstY) && (prevY > y) != (firstY > y) &&
            x < prevX + (y - prevY) * (firstX - prevX) / (firstY - prevY))
          inPolygon = !inPolygon;
      }
      inside = inside || inPolygon;
    }
    if (inside && zone < zones_.size()) found.push_back(zones_[zone]);
  }
  if (!r.ok) found.clear();
  return found;
}

std::string nauticalZone(double longitude) {
  const int hours = std::clamp(static_cast<int>(std::floor((longitude + 7.5) / 15.0)), -12, 12);
  if (hours == 0) return "Etc/GMT";
  // The database's Etc names count the other way: Etc/GMT-10 is UTC+10.
  return std::string("Etc/GMT") + (hours > 0 ? "-" : "+") + std::to_string(std::abs(hours));
}

std::string findZonePolygons(const std::string& workDir) {
  if (const char* env = std::getenv("ORVENDA_ZONES"); env != nullptr && *env != '\0') return env;
  std::vector<std::string> candidates = {workDir + "/assets/zones.bin"};
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string dir(exe, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/'));
    candidates.push_back(dir + "/../share/orvenda/workdir/assets/zones.bin");
    candidates.push_back(dir + "/skeleton/assets/zones.bin");
  }
  for (const auto& c : candidates)
    if (::access(c.c_str(), R_OK) == 0) return c;
  return candidates.front();
}

}  // namespace orvenda::places
