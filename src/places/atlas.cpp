// Reading the atlas script, folding names, and matching queries against the places.
#include "places/atlas.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "console/cp737.h"

namespace orvenda::places {
namespace {

// Latin letters U+00C0..U+024F without their accents ("" keeps the character).
constexpr const char* kLatinFold[] = {
#include "places/latin_fold.inc"
};
// Greek U+0386..U+03CF in lower case without tonos or dialytika (0 keeps it).
constexpr char32_t kGreekFold[] = {
#include "places/greek_fold.inc"
};

// ---- a reader for the few JSON forms the atlas script uses --------------------------------

class Json {
 public:
  explicit Json(std::string_view s) : s_(s) {}
  bool string(std::string& out) {
    skip();
    if (p_ >= s_.size() || s_[p_] != '"') return false;
    ++p_;
    out.clear();
    while (p_ < s_.size() && s_[p_] != '"') {
      char c = s_[p_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (p_ >= s_.size()) return false;
      c = s_[p_++];
      switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          char32_t cp = 0;
          if (!hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00 && s_.substr(p_, 2) == "\\u") {
            p_ += 2;
            char32_t low = 0;
            if (!hex4(low)) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          appendUtf8(out, cp);
          break;
        }
        default: out += c;
      }
    }
    if (p_ >= s_.size()) return false;
    ++p_;
    return true;
  }
  bool take(char c) {
    skip();
    if (p_ < s_.size() && s_[p_] == c) return ++p_, true;
    return false;
  }

 private:
  bool hex4(char32_t& cp) {
    if (p_ + 4 > s_.size()) return false;
    for (int i = 0; i < 4; ++i) {
      const char h = s_[p_++];
      cp <<= 4;
      if (h >= '0' && h <= '9')
        cp |= static_cast<char32_t>(h - '0');
      else if (h >= 'a' && h <= 'f')
        cp |= static_cast<char32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        cp |= static_cast<char32_t>(h - 'A' + 10);
      else
        return false;
    }
    return true;
  }
  void skip() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t')) ++p_;
  }
  std::string_view s_;
  std::size_t p_ = 0;
};

// Up to n fields of a tab-separated line.
std::size_t splitTabs(std::string_view s, std::string_view* out, std::size_t n) {
  std::size_t count = 0, start = 0;
  while (count < n) {
    const auto tab = s.find('\t', start);
    out[count++] =
        s.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return count;
}

template <typename T>
T number(std::string_view s) {
  T v{};
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

bool asciiOnly(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Whether a name, as a match key, is the key (or starts with it). ASCII names without a
// full stop or a word that "saint" stands for are compared as they stand, without making
// their key.
bool mayNeedKey(std::string_view name) {
  auto lower = [&](std::size_t i) {
    const char c = i < name.size() ? name[i] : ' ';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '.' || c == '-') return true;
    if (c == ' ' && (i == 0 || i + 1 == name.size() || name[i + 1] == ' ')) return true;
    if (i > 0 && name[i - 1] != ' ') continue;
    // A word that "saint" stands for: st, ste, saint, sainte.
    std::size_t end = i;
    while (end < name.size() && name[end] != ' ') ++end;
    const std::size_t length = end - i;
    if ((length == 2 || length == 3 || length == 5 || length == 6) && lower(i) == 's' &&
        ((lower(i + 1) == 't') || (lower(i + 1) == 'a' && lower(i + 2) == 'i')))
      return true;
  }
  return false;
}

bool foldedMatch(std::string_view name, std::string_view folded, bool prefix) {
  if (name.empty() || folded.empty()) return false;
  // A name that starts with an ASCII letter keeps it, in lower case, as its key's first:
  // most names are passed over here without making their key.
  const char first =
      name[0] >= 'A' && name[0] <= 'Z' ? static_cast<char>(name[0] - 'A' + 'a') : name[0];
  if (static_cast<unsigned char>(first) < 0x80 && first != ' ' && first != '.' && first != '-' &&
      first != folded[0])
    return false;
  if (!asciiOnly(name) || mayNeedKey(name)) {
    const std::string key = matchKey(name);
    return prefix ? std::string_view(key).starts_with(folded) : key == folded;
  }
  if (prefix ? name.size() < folded.size() : name.size() != folded.size()) return false;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != folded[i]) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> splitCommas(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (;;) {
    const auto comma = s.find(',', start);
    out.push_back(trim(s.substr(start, comma == std::string_view::npos ? comma : comma - start)));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// International vehicle codes that differ from the country's ISO code, as AAF files and
// older astrology programs write them. Where a vehicle code is another country's ISO
// code (CL, ES, ET), the ISO code wins.
constexpr std::pair<const char*, const char*> kVehicleCodes[] = {
    {"A", "AT"},   {"B", "BE"},   {"D", "DE"},   {"E", "ES"},   {"F", "FR"},   {"H", "HU"},
    {"I", "IT"},   {"J", "JP"},   {"L", "LU"},   {"M", "MT"},   {"N", "NO"},   {"P", "PT"},
    {"S", "SE"},   {"V", "VA"},   {"T", "TH"},   {"USA", "US"}, {"CDN", "CA"}, {"AUS", "AU"},
    {"FIN", "FI"}, {"SF", "FI"},  {"IRL", "IE"}, {"RUS", "RU"}, {"SLO", "SI"}, {"IND", "IN"},
    {"RA", "AR"},  {"MEX", "MX"}, {"RCH", "CL"}, {"ROK", "KR"}, {"RC", "TW"},  {"EST", "EE"},
    {"SRB", "RS"}, {"MNE", "ME"}, {"BIH", "BA"}, {"NMK", "MK"}, {"IRQ", "IQ"}, {"SYR", "SY"},
    {"RL", "LB"},  {"JOR", "JO"}, {"KSA", "SA"}, {"UAE", "AE"}, {"YV", "VE"},  {"ROU", "UY"},
    {"BOL", "BO"}, {"RI", "ID"},  {"RP", "PH"},  {"MAL", "MY"}, {"SGP", "SG"}, {"WAN", "NG"},
    {"EAK", "KE"}, {"EAT", "TZ"}, {"EAU", "UG"}, {"RSA", "ZA"}, {"UK", "GB"},  {"FL", "LI"},
    {"RSM", "SM"}, {"AND", "AD"}, {"GBZ", "GI"}, {"C", "CU"},   {"DOM", "DO"}, {"JA", "JM"},
    {"GCA", "GT"}, {"NIC", "NI"}, {"NEP", "NP"}, {"LAR", "LY"}, {"ETH", "ET"}, {"SUD", "SD"},
    {"Z", "ZM"},   {"RM", "MG"},  {"KWT", "KW"}, {"Q", "QA"},   {"BRN", "BH"}, {"YAR", "YE"},
    {"AFG", "AF"}, {"MGL", "MN"},
};

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace

std::string foldName(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t p = 0; p < s.size();) {
    const std::size_t start = p;
    const char32_t cp = decodeUtf8(s, p);
    if (cp < 0x80) {
      out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp - 'A' + 'a' : cp);
    } else if (cp >= 0xC0 && cp < 0x250 && *kLatinFold[cp - 0xC0] != '\0') {
      out += kLatinFold[cp - 0xC0];
    } else if (cp >= 0x386 && cp < 0x3D0 && kGreekFold[cp - 0x386] != 0) {
      appendUtf8(out, kGreekFold[cp - 0x386]);
    } else {
      out.append(s.substr(start, p - start));
    }
  }
  return out;
}

std::string matchKey(std::string_view utf8) {
  const std::string folded = foldName(utf8);
  // Words split by blanks, full stops and hyphens ("Saint-Denis" is "Saint Denis").
  std::string out;
  out.reserve(folded.size());
  for (std::size_t i = 0; i < folded.size();) {
    const auto isGap = [](char c) { return c == ' ' || c == '.' || c == '-'; };
    if (isGap(folded[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < folded.size() && !isGap(folded[end])) ++end;
    const std::string_view word(folded.data() + i, end - i);
    if (!out.empty()) out += ' ';
    // Greek names come in the older form in -ον as well (Ηράκλειον, Ρέθυμνον): the same
    // place as the -ο that people write today.
    constexpr std::string_view kOldEnding = "\xCE\xBF\xCE\xBD";  // "ον"
    if (word == "st" || word == "saint")
      out += "saint";
    else if (word == "ste" || word == "sainte")
      out += "sainte";
    else if (word.size() > 6 && word.ends_with(kOldEnding))
      out += word.substr(0, word.size() - 2);
    else
      out += word;
    i = end;
  }
  return out;
}

std::optional<Atlas> Atlas::load(const std::string& path, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = "can't read the atlas " + path;
    return std::nullopt;
  }
  Atlas atlas;
  auto text = std::make_shared<std::string>();
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  in.seekg(0);
  if (size > 0 && size < 0x7FFFFFFF) {
    text->resize(static_cast<std::size_t>(size));
    in.read(text->data(), size);
  }
  atlas.text_ = text;
  atlas.made_ = std::make_shared<std::unordered_map<std::size_t, Place>>();
  atlas.strings_ = std::make_shared<std::deque<std::string>>();
  bool inPlaces = false;
  std::size_t lineNo = 0;
  std::string field;
  atlas.lines_.reserve(140000);
  for (std::size_t start = 0; start < text->size();) {
    auto end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    const std::string_view line(text->data() + start, end - start);
    const std::size_t lineStart = start;
    start = end + 1;
    ++lineNo;
    if (inPlaces) {
      if (line.starts_with("]")) {
        inPlaces = false;
        continue;
      }
      // "name\tother\t...": seven or eight fields, the tabs as they are.
      if (line.size() < 16 || line.front() != '"' ||
          std::count(line.begin(), line.end(), '\t') < 6) {
        why = path + ":" + std::to_string(lineNo) + ": not a place";
        return std::nullopt;
      }
      atlas.lines_.push_back(static_cast<std::uint32_t>(lineStart));
    } else if (line.starts_with("zones:")) {
      Json j(line.substr(6));
      if (!j.take('[')) break;
      while (j.string(field)) {
        atlas.zones_.push_back(field);
        j.take(',');
      }
    } else if (line.starts_with("countries:")) {
      Json j(line.substr(10));
      if (!j.take('{')) break;
      std::string code, en, el, other;
      while (j.string(code) && j.take(':') && j.take('[') && j.string(en) && j.take(',') &&
             j.string(el)) {
        atlas.countryByName_[foldName(en)] = code;
        atlas.countryByName_[foldName(el)] = code;
        atlas.countries_[code] = {en, el};
        // The country's names in other languages ("Deutschland"): a name that is another
        // country's in English or Greek stays that country's.
        while (j.take(',') && j.string(other)) atlas.countryByName_.emplace(foldName(other), code);
        if (!j.take(']')) break;
        j.take(',');
      }
    } else if (line.starts_with("regions:")) {
      Json j(line.substr(8));
      if (!j.take('{')) break;
      std::string key, name;
      while (j.string(key) && j.take(':') && j.string(name)) {
        atlas.regions_[key] = name;
        j.take(',');
      }
    } else if (line.starts_with("places:")) {
      inPlaces = true;
    }
  }
  if (atlas.lines_.empty() || atlas.zones_.empty()) {
    why = path + " holds no places";
    return std::nullopt;
  }
  // Names such as "USA" or "UK" that people write for a country.
  for (const auto& [name, code] : {std::pair{"usa", "US"},
                                   {"united states", "US"},
                                   {"uk", "GB"},
                                   {"united kingdom", "GB"},
                                   {"great britain", "GB"},
                                   {"england", "GB"},
                                   {"russia", "RU"},
                                   {"china", "CN"}})
    atlas.countryByName_.emplace(name, code);
  return atlas;
}

std::string_view Atlas::line(std::size_t i) const {
  const std::size_t start = lines_[i] + 1;  // past the opening quote
  const std::size_t end = text_->find('\n', start);
  std::string_view l(text_->data() + start,
                     (end == std::string::npos ? text_->size() : end) - start);
  if (l.ends_with(',')) l.remove_suffix(1);
  if (l.ends_with('"')) l.remove_suffix(1);
  return l;
}

const Place& Atlas::place(std::size_t i) const {
  if (const auto made = made_->find(i); made != made_->end()) return made->second;
  std::string_view body = line(i);
  if (body.find('\\') != std::string_view::npos) {
    std::string unescaped;
    const std::string quoted = "\"" + std::string(body) + "\"";
    Json j(quoted);
    if (j.string(unescaped)) body = strings_->emplace_back(std::move(unescaped));
  }
  std::string_view f[10];
  const std::size_t n = splitTabs(body, f, 10);
  Place p;
  p.name = f[0];
  p.otherName = f[1];
  p.country = f[2];
  p.latitude = static_cast<std::int32_t>(std::lround(number<double>(f[3]) * 3600));
  p.longitude = static_cast<std::int32_t>(std::lround(number<double>(f[4]) * 3600));
  const auto zone = number<std::size_t>(f[5]);
  p.zone = zone < zones_.size() ? std::string_view(zones_[zone]) : std::string_view("UTC");
  p.population = number<long>(f[6]);
  if (n > 7 && !f[7].empty()) {
    p.regionCode = f[7];
    const auto r = regions_.find(std::string(p.country) + "." + std::string(f[7]));
    if (r != regions_.end()) p.region = r->second;
  }
  if (n > 8) p.greekName = f[8];
  if (n > 9) p.alternates = f[9];
  return made_->emplace(i, p).first->second;
}

std::string Atlas::countryName(std::string_view code) const {
  const auto c = countries_.find(std::string(code));
  return c == countries_.end() ? std::string(code) : c->second.first;
}

std::string Atlas::countryNameGreek(std::string_view code) const {
  const auto c = countries_.find(std::string(code));
  return c == countries_.end() ? std::string(code) : c->second.second;
}

std::optional<std::string> Atlas::countryCode(std::string_view text) const {
  const std::string code = upper(text);
  if (code.size() == 2 && countries_.count(code)) return code;
  for (const auto& [vehicle, iso] : kVehicleCodes)
    if (code == vehicle && countries_.count(iso)) return std::string(iso);
  const auto byName = countryByName_.find(foldName(text));
  if (byName != countryByName_.end()) return byName->second;
  return std::nullopt;
}

namespace {

// A folded Greek key in Latin letters, as Greek names are written in the Latin alphabet
// (Ηράκλειο is Irakleio): a Greek query finds a place that the atlas names only in Latin
// letters, or in Greek in another form. Empty for a key without Greek letters.
std::string greekInLatin(std::string_view key) {
  static const std::pair<std::string_view, std::string_view> kPairs[] = {
      {"ου", "ou"}, {"αι", "ai"}, {"ει", "ei"}, {"οι", "oi"}, {"αυ", "av"}, {"ευ", "ev"},
      {"μπ", "b"},  {"ντ", "d"},  {"γγ", "ng"}, {"γκ", "gk"}, {"θ", "th"},  {"χ", "ch"},
      {"ψ", "ps"},  {"α", "a"},   {"β", "v"},   {"γ", "g"},   {"δ", "d"},   {"ε", "e"},
      {"ζ", "z"},   {"η", "i"},   {"ι", "i"},   {"κ", "k"},   {"λ", "l"},   {"μ", "m"},
      {"ν", "n"},   {"ξ", "x"},   {"ο", "o"},   {"π", "p"},   {"ρ", "r"},   {"σ", "s"},
      {"ς", "s"},   {"τ", "t"},   {"υ", "y"},   {"φ", "f"},   {"ω", "o"}};
  std::string out;
  bool greek = false;
  for (std::size_t i = 0; i < key.size();) {
    bool found = false;
    for (const auto& [from, to] : kPairs) {
      if (key.substr(i, from.size()) == from) {
        out += to;
        i += from.size();
        found = greek = true;
        break;
      }
    }
    if (!found) out += key[i++];
  }
  return greek ? out : std::string();
}

}  // namespace

std::vector<const Place*> Atlas::match(std::string_view query, bool prefixes,
                                       std::size_t* ownNameMatches,
                                       std::size_t* exactMatches) const {
  const auto parts = splitCommas(query);
  const std::string city = matchKey(parts[0]);
  const std::string latin = greekInLatin(city);
  // A query still being typed ("St") may be the start of a word as well ("Stockholm").
  std::string typed = foldName(parts[0]);
  typed.erase(std::remove(typed.begin(), typed.end(), '.'), typed.end());
  std::vector<const Place*> exact, starting;
  if (city.empty()) return exact;
  // Every further part names the country or the region.
  std::vector<std::optional<std::string>> countries;
  std::vector<std::string> regions;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    countries.push_back(countryCode(parts[i]));
    regions.push_back(foldName(parts[i]));
  }
  auto inPlace = [&](const Place& p) {
    for (std::size_t i = 0; i < regions.size(); ++i) {
      const bool country = countries[i] && *countries[i] == p.country;
      const bool region = !p.region.empty() && (foldName(p.region) == regions[i] ||
                                                foldName(p.regionCode) == regions[i]);
      if (!country && !region) return false;
    }
    return true;
  };
  std::string_view f[10];
  auto matches = [&](std::string_view name, bool prefix) {
    return foldedMatch(name, city, prefix) ||
           (!latin.empty() && foldedMatch(name, latin, prefix)) ||
           (prefix && typed != city && foldedMatch(name, typed, true));
  };
  auto ownName = [&](bool prefix) {
    return matches(f[0], prefix) || matches(f[1], prefix) || matches(f[8], prefix);
  };
  auto alternateName = [&](bool prefix) {
    for (std::size_t start = 0; start < f[9].size();) {
      const auto bar = f[9].find('|', start);
      const auto end = bar == std::string_view::npos ? f[9].size() : bar;
      if (matches(f[9].substr(start, end - start), prefix)) return true;
      start = end + 1;
    }
    return false;
  };
  std::vector<const Place*> byAlternate;
  if (!prefixes && ++exactLookUps_ > 1) {
    const NameIndex& index = nameIndex();
    std::vector<std::uint32_t> own, alternate;
    for (const std::string* key : {&city, &latin}) {
      if (key->empty()) continue;
      if (const auto it = index.own.find(*key); it != index.own.end())
        own.insert(own.end(), it->second.begin(), it->second.end());
      if (const auto it = index.alternate.find(*key); it != index.alternate.end())
        alternate.insert(alternate.end(), it->second.begin(), it->second.end());
    }
    for (auto* list : {&own, &alternate}) {
      std::sort(list->begin(), list->end());
      list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    std::erase_if(alternate,
                  [&](std::uint32_t i) { return std::binary_search(own.begin(), own.end(), i); });
    for (std::uint32_t i : own)
      if (inPlace(place(i))) exact.push_back(&place(i));
    for (std::uint32_t i : alternate)
      if (inPlace(place(i))) byAlternate.push_back(&place(i));
    if (ownNameMatches) *ownNameMatches = exact.size();
    exact.insert(exact.end(), byAlternate.begin(), byAlternate.end());
    if (exactMatches) *exactMatches = exact.size();
    return exact;
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    for (auto& field : f) field = {};
    splitTabs(line(i), f, 10);
    const bool own = ownName(false);
    const bool alternate = !own && alternateName(false);
    if (!own && !alternate && !(prefixes && (ownName(true) || alternateName(true)))) continue;
    const Place& p = place(i);
    if (!inPlace(p)) continue;
    (own ? exact : alternate ? byAlternate : starting).push_back(&p);
  }
  if (ownNameMatches) *ownNameMatches = exact.size();
  exact.insert(exact.end(), byAlternate.begin(), byAlternate.end());
  if (exactMatches) *exactMatches = exact.size();
  exact.insert(exact.end(), starting.begin(), starting.end());
  return exact;
}

const Atlas::NameIndex& Atlas::nameIndex() const {
  if (names_) return *names_;
  auto index = std::make_shared<NameIndex>();
  std::string_view f[10];
  // Places in the atlas's order, so each list is sorted, and a name listed twice for one
  // place (its name and its other name alike) is one entry.
  auto add = [](std::vector<std::uint32_t>& list, std::uint32_t i) {
    if (list.empty() || list.back() != i) list.push_back(i);
  };
  for (std::uint32_t i = 0; i < lines_.size(); ++i) {
    for (auto& field : f) field = {};
    splitTabs(line(i), f, 10);
    for (int k : {0, 1, 8})
      if (!f[k].empty()) add(index->own[matchKey(f[k])], i);
    for (std::size_t start = 0; start < f[9].size();) {
      const auto bar = f[9].find('|', start);
      const auto end = bar == std::string_view::npos ? f[9].size() : bar;
      if (end > start) add(index->alternate[matchKey(f[9].substr(start, end - start))], i);
      start = end + 1;
    }
  }
  names_ = index;
  return *names_;
}

namespace {

// Places called so, by their own names and by others, the largest first; an own name
// before another of the same size.
std::vector<const Place*> largestFirst(const std::vector<const Place*>& places, std::size_t count) {
  std::vector<const Place*> out(places.begin(),
                                places.begin() + static_cast<std::ptrdiff_t>(count));
  std::stable_sort(out.begin(), out.end(),
                   [](const Place* a, const Place* b) { return a->population > b->population; });
  return out;
}

}  // namespace

std::vector<const Place*> Atlas::find(std::string_view query) const {
  const auto places = match(query, false);
  return largestFirst(places, places.size());
}

std::vector<const Place*> Atlas::search(std::string_view query) const {
  std::size_t exact = 0;
  auto places = match(query, true, nullptr, &exact);
  const auto sorted = largestFirst(places, exact);
  std::copy(sorted.begin(), sorted.end(), places.begin());
  return places;
}

const Place* Atlas::resolve(std::string_view query, std::vector<const Place*>* found) const {
  std::size_t own = 0;
  const auto places = match(query, false, &own);
  const auto all = largestFirst(places, places.size());
  if (found) *found = all;
  if (all.empty()) return nullptr;
  // The largest wins when it is ten times as large as any other, whether the name is its
  // own or one it has in another language ("Roma" is Rome, "Posen" is Poznań).
  auto clear = [](const std::vector<const Place*>& list) -> const Place* {
    if (list.size() == 1) return list[0];
    return list[0]->population >= kClearFactor * std::max(list[1]->population, 1L) ? list[0]
                                                                                   : nullptr;
  };
  const Place* largest = clear(all);
  if (!largest) return nullptr;
  const auto ownEnd = places.begin() + static_cast<std::ptrdiff_t>(own);
  if (own == 0 || std::find(places.begin(), ownEnd, largest) != ownEnd) return largest;
  // A city that bears the name as its own is not passed over for a larger place that some
  // language calls so: "Dili" is Timor-Leste's capital, not Delhi.
  const auto byOwnName = largestFirst(places, own);
  if (byOwnName[0]->population < kOwnNameCity) return largest;
  if (found) *found = byOwnName;
  return clear(byOwnName);
}

namespace {

std::array<float, 3> onSphere(double latitudeDegrees, double longitudeDegrees) {
  const double kRad = 3.14159265358979323846 / 180.0;
  const double la = latitudeDegrees * kRad, lo = longitudeDegrees * kRad;
  return {static_cast<float>(std::cos(la) * std::cos(lo)),
          static_cast<float>(std::cos(la) * std::sin(lo)), static_cast<float>(std::sin(la))};
}

template <typename P>
void buildTree(P* first, P* last, int axis) {
  if (last - first <= 1) return;
  P* middle = first + (last - first) / 2;
  std::nth_element(first, middle, last,
                   [axis](const P& a, const P& b) { return (&a.x)[axis] < (&b.x)[axis]; });
  buildTree(first, middle, (axis + 1) % 3);
  buildTree(middle + 1, last, (axis + 1) % 3);
}

// The straight-line distance through the sphere orders places as the great circle does.
template <typename P>
void searchTree(const P* first, const P* last, int axis, const std::array<float, 3>& q,
                const P*& best, float& bestD) {
  if (first >= last) return;
  const P* middle = first + (last - first) / 2;
  const float dx = middle->x - q[0], dy = middle->y - q[1], dz = middle->z - q[2];
  const float d = dx * dx + dy * dy + dz * dz;
  if (d < bestD || (d == bestD && best && middle->index < best->index)) {
    bestD = d;
    best = middle;
  }
  const float split = q[static_cast<std::size_t>(axis)] - (&middle->x)[axis];
  const int next = (axis + 1) % 3;
  if (split < 0) {
    searchTree(first, middle, next, q, best, bestD);
    if (split * split <= bestD) searchTree(middle + 1, last, next, q, best, bestD);
  } else {
    searchTree(middle + 1, last, next, q, best, bestD);
    if (split * split <= bestD) searchTree(first, middle, next, q, best, bestD);
  }
}

}  // namespace

const Place* Atlas::nearest(std::int32_t latitude, std::int32_t longitude) const {
  if (lines_.empty()) return nullptr;
  if (!tree_) {
    auto tree = std::make_shared<std::vector<Point>>();
    tree->reserve(lines_.size());
    std::string_view f[5];
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (splitTabs(line(i), f, 5) < 5) continue;
      const auto p = onSphere(number<double>(f[3]), number<double>(f[4]));
      tree->push_back({p[0], p[1], p[2], static_cast<std::uint32_t>(i)});
    }
    buildTree(tree->data(), tree->data() + tree->size(), 0);
    tree_ = tree;
  }
  const Point* best = nullptr;
  float bestD = 1e9f;
  searchTree(tree_->data(), tree_->data() + tree_->size(), 0,
             onSphere(latitude / 3600.0, longitude / 3600.0), best, bestD);
  return best ? &place(best->index) : nullptr;
}

std::string findAtlas(const std::string& workDir) {
  if (const char* env = std::getenv("ORVENDA_ATLAS"); env != nullptr && *env != '\0') return env;
  std::vector<std::string> candidates = {workDir + "/assets/atlas.js"};
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string dir(exe, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/'));
    candidates.push_back(dir + "/../share/orvenda/workdir/assets/atlas.js");
    candidates.push_back(dir + "/skeleton/assets/atlas.js");
  }
  for (const auto& c : candidates)
    if (::access(c.c_str(), R_OK) == 0) return c;
  return candidates.front();
}

}  // namespace orvenda::places
