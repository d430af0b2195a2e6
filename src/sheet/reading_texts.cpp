// The interpretation sets: their keys, their file format, and where they are found.
#include "sheet/reading_texts.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "natal/names.h"
#include "natal/natal_chart.h"
#include "platform/file_system.h"
#include "sheet/wording.h"
#include "traditional/traditional.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvenda::reading {
namespace {

// ---- keys ----------------------------------------------------------------------------------

// A key is read by its grammar, not looked up among every spelling: the sets of time and
// of two people make tens of thousands of them.
//   POINT in SIGN, POINT in house N, POINT ASPECT POINT (either order), ASPECT,
//   house N, ruler of house N, an element, a modality, a pattern, a hemisphere,
//   transit POINT ASPECT POINT (the moving body first), transit NATURE, transit slow NATURE,
//   progressed POINT in SIGN, progressed POINT in house N, solar return POINT in SIGN,
//   synastry POINT ASPECT POINT (either order), synastry NATURE,
//   overlay POINT in house N, composite POINT in house N, composite POINT in SIGN.
// ASPECT is an aspect's name or a nature: conjunction, harmonious, challenging (and for
// transits and synastry, minor).

constexpr const char* kElements[] = {"Fire", "Earth", "Air", "Water"};
constexpr const char* kModalities[] = {"Cardinal", "Fixed", "Mutable"};
constexpr const char* kPatterns[] = {"stellium in a sign", "stellium in a house", "grand trine",
                                     "T-square",           "grand cross",         "yod"};
constexpr const char* kHemispheres[] = {"upper hemisphere", "lower hemisphere",
                                        "eastern hemisphere", "western hemisphere"};
constexpr const char* kNatures[] = {"conjunction", "harmonious", "challenging", "minor"};
// The points the shipped sets write about in signs and houses, in the table's order.
constexpr int kWrittenPoints[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 10};
constexpr int kMorePoints[] = {11, 12, 13, 14, 16, 17, 18, 19};

using wording::asciiLower;

// Spaces collapsed to one, none at either end, letters in lower case.
std::string normalizedKey(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

struct Words {
  std::vector<std::string> points, signs, aspects, fixed;  // lower case
  Words() {
    for (int p = 0; p < natal::kPoints; ++p)
      points.push_back(asciiLower(natal::pointName(p, false)));
    for (int s = 0; s < 12; ++s) signs.push_back(asciiLower(natal::signName(s, false)));
    for (int k = 0; k < natal::kAspects; ++k)
      aspects.push_back(asciiLower(natal::aspectName(k, false)));
    for (const char* w : kElements) fixed.push_back(asciiLower(w));
    for (const char* w : kModalities) fixed.push_back(asciiLower(w));
    for (const char* w : kPatterns) fixed.push_back(asciiLower(w));
    for (const char* w : kHemispheres) fixed.push_back(asciiLower(w));
  }
};

const Words& words() {
  static const Words w;
  return w;
}

// A reader of one normalised key, word list by word list.
class KeyReader {
 public:
  explicit KeyReader(std::string_view s) : s_(s) {}
  bool done() const { return at_ == s_.size(); }
  bool word(std::string_view w) {
    if (s_.substr(at_, w.size()) != w) return false;
    const std::size_t end = at_ + w.size();
    if (end != s_.size() && s_[end] != ' ') return false;
    at_ = end == s_.size() ? end : end + 1;
    return true;
  }
  // The longest of a list that stands here; its index.
  std::optional<int> oneOf(const std::vector<std::string>& list) {
    int best = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string& w = list[i];
      if (s_.substr(at_, w.size()) == w &&
          (at_ + w.size() == s_.size() || s_[at_ + w.size()] == ' ') &&
          (best < 0 || w.size() > list[static_cast<std::size_t>(best)].size()))
        best = static_cast<int>(i);
    }
    if (best < 0) return std::nullopt;
    word(list[static_cast<std::size_t>(best)]);
    return best;
  }
  std::optional<int> number(int lo, int hi) {
    std::size_t end = at_;
    while (end < s_.size() && s_[end] >= '0' && s_[end] <= '9') ++end;
    if (end == at_ || end - at_ > 2 || (end != s_.size() && s_[end] != ' ')) return std::nullopt;
    const int n = std::stoi(std::string(s_.substr(at_, end - at_)));
    if (n < lo || n > hi || s_[at_] == '0') return std::nullopt;
    at_ = end == s_.size() ? end : end + 1;
    return n;
  }

 private:
  std::string_view s_;
  std::size_t at_ = 0;
};

// The parts of a key: its family (the prefix), and what follows it.
struct Parsed {
  std::string
      prefix;  // "", "transit", "progressed", "solar return", "synastry", "overlay", "composite"
  enum Shape { InSign, InHouse, Pair, Aspect, Nature, House, Ruler, Fixed } shape = Fixed;
  int a = 0, b = 0, n = 0;  // points; sign or house; the aspect (0..17) or nature (18 + 0..3)
};

std::optional<Parsed> parse(std::string_view normalized) {
  const Words& w = words();
  KeyReader r(normalized);
  Parsed k;
  // "transit slow" before "transit": the general senses of a slow planet's contacts.
  for (const char* prefix : {"transit slow", "transit", "progressed", "solar return", "synastry",
                             "overlay", "composite"})
    if (r.word(prefix)) {
      k.prefix = prefix;
      break;
    }
  const bool pairs = k.prefix.empty() || k.prefix == "transit" || k.prefix == "synastry";
  auto aspectWord = [&]() -> std::optional<int> {
    if (const auto a = r.oneOf(w.aspects)) return *a;
    static const std::vector<std::string> natures(std::begin(kNatures), std::end(kNatures));
    if (const auto n = r.oneOf(natures)) {
      if (*n == 3 && k.prefix != "transit" && k.prefix != "synastry") return std::nullopt;
      return 18 + *n;
    }
    return std::nullopt;
  };
  if (k.prefix.empty()) {
    if (r.word("house")) {
      const auto n = r.number(1, 12);
      if (!n || !r.done()) return std::nullopt;
      k.shape = Parsed::House, k.n = *n;
      return k;
    }
    if (r.word("ruler")) {
      if (!r.word("of") || !r.word("house")) return std::nullopt;
      const auto n = r.number(1, 12);
      if (!n || !r.done()) return std::nullopt;
      k.shape = Parsed::Ruler, k.n = *n;
      return k;
    }
    KeyReader fixed(normalized);
    if (const auto f = fixed.oneOf(w.fixed); f && fixed.done()) {
      k.shape = Parsed::Fixed, k.n = *f;
      return k;
    }
    KeyReader aspect(normalized);
    if (const auto a = aspect.oneOf(w.aspects); a && aspect.done()) {
      k.shape = Parsed::Aspect, k.n = *a;
      return k;
    }
  }
  if (k.prefix == "transit" || k.prefix == "synastry" || k.prefix == "transit slow") {
    KeyReader nature = r;
    static const std::vector<std::string> natures(std::begin(kNatures), std::end(kNatures));
    if (const auto n = nature.oneOf(natures); n && nature.done()) {
      k.shape = Parsed::Nature, k.n = 18 + *n;
      return k;
    }
  }
  if (k.prefix == "transit slow") return std::nullopt;  // a general sense, nothing else
  const auto a = r.oneOf(w.points);
  if (!a) return std::nullopt;
  k.a = *a;
  if (r.word("in")) {
    if (r.word("house")) {
      const auto n = r.number(1, 12);
      if (!n || !r.done() || k.prefix == "solar return") return std::nullopt;
      k.shape = Parsed::InHouse, k.n = *n;
      return k;
    }
    const auto sgn = r.oneOf(w.signs);
    if (!sgn || !r.done() || k.prefix == "overlay") return std::nullopt;
    k.shape = Parsed::InSign, k.n = *sgn;
    return k;
  }
  if (!pairs) return std::nullopt;
  const auto aspect = aspectWord();
  if (!aspect) return std::nullopt;
  const auto b = r.oneOf(w.points);
  if (!b || !r.done()) return std::nullopt;
  k.shape = Parsed::Pair, k.n = *aspect, k.b = *b;
  // A pair of one chart, or of two that read it both ways, in the table's order; a
  // transit's moving body stays first; a point in aspect with itself only between charts.
  if (k.prefix != "transit" && k.a > k.b) std::swap(k.a, k.b);
  if (k.prefix.empty() && k.a == k.b) return std::nullopt;
  return k;
}

std::string aspectWordOf(int n) {
  return n < 18 ? words().aspects[static_cast<std::size_t>(n)] : kNatures[n - 18];
}

// The key spelt as a reading's files spell it: names with their capitals.
std::string shownKey(const Parsed& k) {
  std::string s = k.prefix.empty() ? "" : k.prefix + " ";
  const auto point = [](int p) { return natal::pointName(p, false); };
  switch (k.shape) {
    case Parsed::InSign: return s + point(k.a) + " in " + natal::signName(k.n, false);
    case Parsed::InHouse: return s + point(k.a) + " in house " + std::to_string(k.n);
    case Parsed::Pair: return s + point(k.a) + " " + aspectWordOf(k.n) + " " + point(k.b);
    case Parsed::Aspect: return natal::aspectName(k.n, false);
    case Parsed::Nature: return s + aspectWordOf(k.n);
    case Parsed::House: return "house " + std::to_string(k.n);
    case Parsed::Ruler: return "ruler of house " + std::to_string(k.n);
    case Parsed::Fixed: break;
  }
  static const std::vector<const char*> fixed = [] {
    std::vector<const char*> v;
    for (const char* w : kElements) v.push_back(w);
    for (const char* w : kModalities) v.push_back(w);
    for (const char* w : kPatterns) v.push_back(w);
    for (const char* w : kHemispheres) v.push_back(w);
    return v;
  }();
  return fixed[static_cast<std::size_t>(k.n)];
}

// The canonical key straight from its parts, in the lower case its word lists hold.
std::string canonicalOf(const Parsed& k) {
  const Words& w = words();
  const auto at = [](const std::vector<std::string>& list, int i) -> const std::string& {
    return list[static_cast<std::size_t>(i)];
  };
  std::string s = k.prefix.empty() ? "" : k.prefix + " ";
  switch (k.shape) {
    case Parsed::InSign: return s + at(w.points, k.a) + " in " + at(w.signs, k.n);
    case Parsed::InHouse: return s + at(w.points, k.a) + " in house " + std::to_string(k.n);
    case Parsed::Pair:
      return s + at(w.points, k.a) + " " + aspectWordOf(k.n) + " " + at(w.points, k.b);
    case Parsed::Aspect: return at(w.aspects, k.n);
    case Parsed::Nature: return s + aspectWordOf(k.n);
    case Parsed::House: return "house " + std::to_string(k.n);
    case Parsed::Ruler: return "ruler of house " + std::to_string(k.n);
    case Parsed::Fixed: break;
  }
  return at(w.fixed, k.n);
}

std::vector<std::string> makeRequired() {
  std::vector<std::string> required;
  auto require = [&](const std::string& display) { required.push_back(normalizedKey(display)); };
  const auto point = [](int i) { return natal::pointName(i, false); };
  const auto sign = [](int s) { return natal::signName(s, false); };
  const auto house = [](int h) { return "house " + std::to_string(h); };
  for (int p : kWrittenPoints)
    for (int s = 0; s < 12; ++s) require(point(p) + " in " + sign(s));
  for (int p : {natal::kAscendant, natal::kMidheaven})
    for (int s = 0; s < 12; ++s) require(point(p) + " in " + sign(s));
  for (int p : kWrittenPoints)
    for (int h = 1; h <= 12; ++h) require(point(p) + " in " + house(h));
  for (int a = 0; a < 10; ++a)
    for (int b = a + 1; b < 10; ++b)
      for (int n = 0; n < 3; ++n) require(point(a) + " " + kNatures[n] + " " + point(b));
  for (int k = 0; k < natal::kAspects; ++k) require(natal::aspectName(k, false));
  for (int h = 1; h <= 12; ++h) require(house(h));
  for (int h = 1; h <= 12; ++h) require("ruler of " + house(h));
  for (const char* e : kElements) require(e);
  for (const char* m : kModalities) require(m);
  for (const char* p : kPatterns) require(p);
  for (const char* h : kHemispheres) require(h);
  // The points beyond the planets, each in its sign and its house.
  for (int p : kMorePoints)
    for (int s = 0; s < 12; ++s) require(point(p) + " in " + sign(s));
  for (int p : kMorePoints)
    for (int h = 1; h <= 12; ++h) require(point(p) + " in " + house(h));
  // Time: the slow planets and Chiron over the natal planets and angles; the progressed
  // Moon and Sun; the solar return's Ascendant; the general sense of each nature.
  for (int t = 4; t <= natal::kChiron; ++t)
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, int{natal::kAscendant}, int{natal::kMidheaven}})
      for (int x = 0; x < 3; ++x)
        require("transit " + point(t) + " " + kNatures[x] + " " + point(n));
  for (int s = 0; s < 12; ++s) require("progressed Moon in " + sign(s));
  for (int h = 1; h <= 12; ++h) require("progressed Moon in " + house(h));
  for (int s = 0; s < 12; ++s) require("progressed Sun in " + sign(s));
  for (int s = 0; s < 12; ++s) require("solar return Ascendant in " + sign(s));
  for (const char* n : kNatures) require(std::string("transit ") + n);
  for (const char* n : kNatures) require(std::string("transit slow ") + n);
  // Two people: the ten planets with each other and themselves, the Ascendant with each;
  // the planets in the other's houses; the composite Sun's house; the general senses.
  for (int a = 0; a < 10; ++a)
    for (int b = a; b < 10; ++b)
      for (int x = 0; x < 3; ++x)
        require("synastry " + point(a) + " " + kNatures[x] + " " + point(b));
  for (int b = 0; b < 10; ++b)
    for (int x = 0; x < 3; ++x) require("synastry " + point(b) + " " + kNatures[x] + " Ascendant");
  for (int p = 0; p < 10; ++p)
    for (int h = 1; h <= 12; ++h) require("overlay " + point(p) + " in " + house(h));
  for (int h = 1; h <= 12; ++h) require("composite Sun in " + house(h));
  for (const char* n : kNatures) require(std::string("synastry ") + n);
  for (const std::string& k : traditionalKeys()) require(k);
  for (const std::string& k : timelordKeys()) require(k);
  for (const std::string& k : skyKeys()) require(k);
  return required;
}

// ---- the file format ----------------------------------------------------------------------

bool validUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  auto follows = [&](int n) {
    if (end - p <= n) return false;
    for (int k = 1; k <= n; ++k)
      if ((p[k] & 0xC0) != 0x80) return false;
    return true;
  };
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
    } else if (c >= 0xC2 && c <= 0xDF) {  // Greek's letters among them: the common case
      if (end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
      p += 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      if (!follows(2)) return false;
      p += 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      if (!follows(3)) return false;
      p += 4;
    } else {
      return false;
    }
  }
  return true;
}

// What is wrong with a text's {man's word|woman's word} choices, if anything.
std::string choiceProblem(std::string_view text) {
  bool inChoice = false, bar = false;
  for (char c : text) {
    if (c == '{') {
      if (inChoice) return "has a { inside a {...|...} choice";
      inChoice = true, bar = false;
    } else if (c == '|') {
      if (!inChoice) return "has a | outside a {...|...} choice";
      if (bar) return "has a choice of more than two words {...|...|...}";
      bar = true;
    } else if (c == '}') {
      if (!inChoice) return "has a } that closes no {...|...} choice";
      if (!bar) return "has a choice without | between its two words";
      inChoice = false;
    }
  }
  return inChoice ? "has a {...|...} choice that is not closed" : "";
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::optional<std::string> readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string exeFolder() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  std::string s(path, n);
  const auto cut = s.find_last_of("\\/");
  return cut == std::string::npos ? "." : s.substr(0, cut);
#else
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  std::string s(exe, static_cast<std::size_t>(n));
  return s.substr(0, s.rfind('/'));
#endif
}

bool isFolder(const std::string& path) {
  std::ifstream probe(path + "/" + languageFolder(false) + "/" + kSetFiles[0]);
  return static_cast<bool>(probe);
}

}  // namespace

const char* languageFolder(bool greek) { return greek ? "el" : "en"; }

const std::vector<std::string>& traditionalKeys() {
  static const std::vector<std::string> keys = [] {
    namespace tr = traditional;
    std::vector<std::string> k = {"sect day", "sect night"};
    const auto planet = [](int p) { return natal::pointName(p, false); };
    for (int p = 0; p < tr::kPlanets; ++p) {
      k.push_back(planet(p) + " in sect");
      k.push_back(planet(p) + " contrary to sect");
    }
    for (int p = 0; p < tr::kPlanets; ++p)
      for (const char* c : {"domicile", "exaltation", "detriment", "fall", "peregrine"})
        k.push_back("condition " + planet(p) + " " + c);
    for (const char* r : {"mutual domicile", "mutual exaltation", "mixed"})
      k.push_back(std::string("reception ") + r);
    for (const char* lot : tr::kLotNames)
      for (int h = 1; h <= 12; ++h)
        k.push_back(std::string("lot ") + lot + " in house " + std::to_string(h));
    for (const tr::FixedStar& star : tr::fixedStars())
      if (star.nature[0] != tr::kNone) k.push_back(std::string("star ") + star.name);
    // The Sun's declination never passes the obliquity.
    for (int p : {1, 2, 3, 4, 5, 6, 7, 8, 9, int{natal::kChiron}})
      k.push_back("out of bounds " + planet(p));
    return k;
  }();
  return keys;
}

const std::vector<std::string>& timelordKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    const auto planet = [](int p) { return natal::pointName(p, false); };
    for (int h = 1; h <= 12; ++h) k.push_back("profection house " + std::to_string(h));
    for (int p = 0; p < 7; ++p) k.push_back("lord of the year " + planet(p));
    for (int p = 0; p < 7; ++p) k.push_back("firdaria " + planet(p));
    k.push_back("firdaria North Node");
    k.push_back("firdaria South Node");
    for (int p = 0; p < 7; ++p)
      for (int q = 0; q < 7; ++q) k.push_back("firdaria " + planet(p) + " with " + planet(q));
    for (int s = 0; s < 12; ++s) k.push_back("releasing " + natal::signName(s, false));
    k.push_back("releasing peak");
    k.push_back("releasing loosing");
    // A light directed to itself is the arc itself: no text.
    for (int p = 0; p < 7; ++p)
      for (const char* significator : {"Ascendant", "Midheaven", "Sun", "Moon", "Lot of Fortune"}) {
        if (planet(p) == significator) continue;
        for (const char* nature : {"conjunction", "harmonious", "challenging"})
          k.push_back("direction " + planet(p) + " to " + significator + " " + nature);
      }
    return k;
  }();
  return keys;
}

const std::vector<std::string>& skyKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    for (const char* what : {"new moon", "full moon", "solar eclipse", "lunar eclipse"})
      for (int h = 1; h <= 12; ++h)
        k.push_back(std::string(what) + " in house " + std::to_string(h));
    for (int p : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, int{natal::kAscendant}, int{natal::kMidheaven}})
      k.push_back("eclipse on " + natal::pointName(p, false));
    k.push_back("void of course");
    for (int p = 0; p < 7; ++p) k.push_back("planetary hour " + natal::pointName(p, false));
    for (const char* what : {"new moon", "full moon"})
      for (int s = 0; s < 12; ++s)
        k.push_back(std::string("prenatal ") + what + " in " + natal::signName(s, false));
    return k;
  }();
  return keys;
}

namespace {

// The traditional and time lords' keys by their canonical spelling: fixed sets, not a
// grammar.
const std::map<std::string, std::string>& traditionalByCanonical() {
  static const std::map<std::string, std::string> byCanonical = [] {
    std::map<std::string, std::string> m;
    for (const std::string& k : traditionalKeys()) m.emplace(normalizedKey(k), k);
    for (const std::string& k : timelordKeys()) m.emplace(normalizedKey(k), k);
    for (const std::string& k : skyKeys()) m.emplace(normalizedKey(k), k);
    return m;
  }();
  return byCanonical;
}

}  // namespace

std::optional<std::string> canonicalKey(std::string_view key) {
  std::string normalized = normalizedKey(key);
  if (traditionalByCanonical().contains(normalized)) return normalized;
  const auto parsed = parse(normalized);
  if (!parsed) return std::nullopt;
  return canonicalOf(*parsed);
}

const std::vector<std::string>& requiredKeys() {
  static const std::vector<std::string> required = makeRequired();
  return required;
}

std::string displayKey(const std::string& canonical) {
  if (const auto t = traditionalByCanonical().find(canonical); t != traditionalByCanonical().end())
    return t->second;
  const auto parsed = parse(canonical);
  return parsed ? shownKey(*parsed) : canonical;
}

void parseTexts(std::string_view content, const std::string& fileShown, TextLayer& into,
                bool checkEncoding) {
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);  // a byte-order mark
  into.filesRead.push_back(fileShown);
  auto problem = [&](int line, std::string what) {
    into.problems.push_back({fileShown, line, std::move(what)});
  };
  // A file saved in another encoding (Latin-1, Windows-1253) is said once, where it first
  // goes wrong, and none of it is read: its letters would be others.
  if (checkEncoding && !validUtf8(content)) {
    int line = 1;
    std::size_t good = 0;
    for (std::size_t end = 0; (end = content.find('\n', good)) != std::string_view::npos;
         good = end + 1, ++line)
      if (!validUtf8(content.substr(good, end - good))) break;
    problem(line, "is not UTF-8 text, so none of the file is read (save it as UTF-8)");
    return;
  }
  std::optional<std::string> key;  // the entry being read; nothing before the first
  int keyLine = 0;
  std::string text;
  bool paragraphBreak = false;
  auto finish = [&]() {
    if (!key) return;
    if (text.empty()) {
      problem(keyLine, "[" + displayKey(*key) + "] has no text");
    } else if (const std::string why = text.find('{') == std::string::npos &&
                                               text.find('|') == std::string::npos &&
                                               text.find('}') == std::string::npos
                                           ? std::string()
                                           : choiceProblem(text);
               !why.empty()) {
      problem(keyLine, "[" + displayKey(*key) + "] " + why);
    } else {
      const auto [at, fresh] =
          into.entries.insert_or_assign(*key, TextEntry{std::move(text), fileShown, keyLine});
      (void)at;
      if (!fresh)
        problem(keyLine, "[" + displayKey(*key) + "] is given more than once; this one counts");
    }
    key.reset();
    text.clear();
  };
  bool skipping = false;  // inside an entry whose key is not understood
  int number = 0;
  std::size_t start = 0;
  while (start <= content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view raw = content.substr(start, end - start);
    start = end + 1;
    ++number;
    if (end == content.size() && raw.empty()) break;
    const std::string_view line = trimmed(raw);  // the whole file is UTF-8, checked above
    if (line.starts_with('#')) continue;
    if (line.starts_with('[')) {
      finish();
      skipping = false;
      if (!line.ends_with(']')) {
        problem(number, "a key's line must end with ]");
        skipping = true;
        continue;
      }
      const std::string_view name = line.substr(1, line.size() - 2);
      if (auto k = canonicalKey(name)) {
        key = *k;
        keyLine = number;
        paragraphBreak = false;
      } else {
        problem(number, "unknown key [" + std::string(trimmed(name)) + "]");
        skipping = true;
      }
      continue;
    }
    if (line.empty()) {
      paragraphBreak = !text.empty();
      continue;
    }
    if (skipping) continue;
    if (!key) {
      problem(number, "text before the first [key]");
      skipping = true;
      continue;
    }
    if (!text.empty()) text += paragraphBreak ? "\n" : " ";
    text += line;
    paragraphBreak = false;
  }
  finish();
}

TextSet TextSet::overShipped(bool greek, TextLayer own) {
  TextSet set(nullptr, std::move(own));
  set.lazy_ = true;
  set.greek_ = greek;
  return set;
}

const std::string* TextSet::find(const std::string& key) const {
  if (const auto own = own_.entries.find(key); own != own_.entries.end()) return &own->second.text;
  const TextLayer* layer = lazy_ ? &shippedPart(greek_, shippedPartOf(key)) : shipped_;
  if (layer)
    if (const auto s = layer->entries.find(key); s != layer->entries.end()) return &s->second.text;
  return nullptr;
}

const TextLayer* TextSet::shipped() const { return lazy_ ? &shippedTexts(greek_) : shipped_; }

bool TextSet::shippedFound() const {
  const TextLayer* layer = lazy_ ? &shippedPart(greek_, 0) : shipped_;
  return layer && !layer->filesRead.empty();
}

std::string shippedTextsFolder() {
  if (const char* env = std::getenv("ORVENDA_TEXTS"); env != nullptr && *env != '\0') return env;
  const std::string exe = exeFolder();
  for (const std::string& candidate : {exe + "/texts", exe + "/../share/orvenda/texts"})
    if (isFolder(candidate)) return candidate;
  return exe + "/texts";
}

int shippedPartOf(const std::string& key) {
  if (traditionalByCanonical().contains(key)) return 2;
  for (const char* later :
       {"transit", "progressed", "solar return", "synastry", "overlay", "composite"})
    if (key.starts_with(later)) return 1;
  return 0;
}

const TextLayer& shippedPart(bool greek, int part) {
  // The natal files are all a natal reading (and R) needs; the rest is half the set's bytes.
  // The traditional chart's file is a part of its own, read only for its reading.
  static std::once_flag once[2][3];
  static TextLayer layers[2][3];
  const int i = greek ? 1 : 0, p = part == 1 || part == 2 ? part : 0;
  std::call_once(once[i][p], [&] {
    const std::string folder = shippedTextsFolder() + "/" + languageFolder(greek) + "/";
    for (const char* file : kSetFiles) {
      const std::string name = file;
      const int filePart =
          name == "transits.txt" || name == "synastry.txt"                            ? 1
          : name == "traditional.txt" || name == "timelords.txt" || name == "sky.txt" ? 2
                                                                                      : 0;
      if (filePart != p) continue;
      if (const auto content = readWhole(folder + file))
        parseTexts(*content, folder + file, layers[i][p], false);
    }
  });
  return layers[i][p];
}

const TextLayer& shippedTexts(bool greek) {
  static std::once_flag once[2];
  static TextLayer layers[2];
  const int i = greek ? 1 : 0;
  std::call_once(once[i], [&] {
    for (int part : {0, 1, 2}) {
      const TextLayer& from = shippedPart(greek, part);
      for (const auto& [key, entry] : from.entries) layers[i].entries.insert_or_assign(key, entry);
      layers[i].problems.insert(layers[i].problems.end(), from.problems.begin(),
                                from.problems.end());
      layers[i].filesRead.insert(layers[i].filesRead.end(), from.filesRead.begin(),
                                 from.filesRead.end());
    }
  });
  return layers[i];
}

TextLayer ownTexts(FileSystem& files, bool greek) {
  // Larger than any set an astrologer writes by hand; a file past it is read in part.
  constexpr std::size_t kLargest = 8u << 20;
  TextLayer own;
  for (const char* file : kSetFiles) {
    const std::string logical = std::string("READING\\") + languageFolder(greek) + "\\" + file;
    const std::string shown = std::string("READING/") + languageFolder(greek) + "/" + file;
    errno = 0;
    const auto bytes = files.read(logical, kLargest);
    const int error = errno;
    if (bytes)
      parseTexts(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                 shown, own);
    else if (files.isFolder(logical))
      own.problems.push_back({shown, 0, "is a folder, not a file of texts, so it is not read"});
    else if (error != 0 && error != ENOENT && error != ENOTDIR)
      // There but not to be read (its permissions, a disk's fault): a set the astrologer
      // wrote is never passed over without a word.
      own.problems.push_back(
          {shown, 0,
           std::string("can't be read (") +
               (error == EACCES ? "its permissions don't allow it" : std::strerror(error)) +
               "), so none of it is read"});
  }
  return own;
}

TextSet textSet(FileSystem& workingDirectory, bool greek) {
  return TextSet::overShipped(greek, ownTexts(workingDirectory, greek));
}

}  // namespace orvenda::reading
