// The chart's names. Planet names and the Greek aspect names come from the configuration
// screens' own tables, so the sheet calls a point what the screen calls it.
#include "natal/names.h"

#include "config/config_texts.h"
#include "console/cp737.h"

namespace orvenda::natal {
namespace {

constexpr const char* kAspectsEn[18] = {
    "Conjunction", "Opposition", "Square",         "Trine",     "Sextile",    "Inconjunct",
    "Semisextile", "Semisquare", "Sesquiquadrate", "Quintile",  "Biquintile", "Semiquintile",
    "Septile",     "Novile",     "Binovile",       "Biseptile", "Triseptile", "Quadnovile"};
constexpr const char* kSignsEn[12] = {"Aries",       "Taurus",    "Gemini",   "Cancer",
                                      "Leo",         "Virgo",     "Libra",    "Scorpio",
                                      "Sagittarius", "Capricorn", "Aquarius", "Pisces"};
constexpr const char* kSignsEl[12] = {"Κριός",   "Ταύρος",    "Δίδυμοι",  "Καρκίνος",
                                      "Λέων",    "Παρθένος",  "Ζυγός",    "Σκορπιός",
                                      "Τοξότης", "Αιγόκερως", "Υδροχόος", "Ιχθύες"};
// U+FE0E asks for the text form where a symbol also has an emoji form.
constexpr const char* kPointGlyphs[22] = {"☉", "☽", "☿",  "♀",  "♂",  "♃", "♄", "♅",
                                          "♆", "♇", "⚷",  "⚳",  "⚴",  "⚵", "⚶", "☊",
                                          "⚸", "⊗", "Vx", "EP", "AC", "MC"};
constexpr const char* kSignGlyphs[12] = {"♈\uFE0E", "♉\uFE0E", "♊\uFE0E", "♋\uFE0E",
                                         "♌\uFE0E", "♍\uFE0E", "♎\uFE0E", "♏\uFE0E",
                                         "♐\uFE0E", "♑\uFE0E", "♒\uFE0E", "♓\uFE0E"};
// Two characters at most, so the aspect grid of 22 points fits 80 columns in a text browser,
// and each one a font of the package's dependencies (DejaVu Sans) draws: it lacks the
// astrological sextile, quincunx, semisextile and sesquiquadrate (U+26B9..26BC), so these
// are their nearest shapes.
constexpr const char* kAspectMarks[18] = {"☌", "☍",  "□", "△", "✶", "⊼",  "⊻",  "∠",  "□∠",
                                          "Q", "Q2", "q", "S", "N", "N2", "S2", "S3", "N4"};

constexpr const char* kPointWordsEl[22] = {"Ήλιος",      "Σελήνη",
                                           "Ερμής",      "Αφροδίτη",
                                           "Άρης",       "Δίας",
                                           "Κρόνος",     "Ουρανός",
                                           "Ποσειδώνας", "Πλούτωνας",
                                           "Χείρωνας",   "Δήμητρα",
                                           "Παλλάδα",    "Ήρα",
                                           "Εστία",      "Βόρειος Δεσμός",
                                           "Λίλιθ",      "Κλήρος της Τύχης",
                                           "Βέρτεξ",     "Ανατολικό Σημείο",
                                           "Ωροσκόπος",  "Μεσουράνημα"};
constexpr const char* kAspectWordsEl[18] = {
    "σύνοδος",     "αντίθεση",     "τετράγωνο",     "τρίγωνο",           "εξάγωνο",
    "κουινκούνξ",  "ημιεξάγωνο",   "ημιτετράγωνο",  "ενάμισι τετράγωνο", "πεντάγωνο",
    "διπεντάγωνο", "ημιπεντάγωνο", "επτάγωνο",      "εννεάγωνο",         "διεννεάγωνο",
    "διεπτάγωνο",  "τριεπτάγωνο",  "τετραεννεάγωνο"};

std::string trimmed(const char* cp737Slot) {
  std::string s = cp737ToUtf8(cp737Slot);
  return s.starts_with(' ') ? s.substr(1) : s;
}

bool valid(int i, int n) { return i >= 0 && i < n; }

}  // namespace

std::string pointName(int point, bool greek) {
  if (!valid(point, 22)) return "";
  return trimmed(greek ? config_texts::kPlanetNamesEl.at(point)
                       : config_texts::kPlanetNamesEn.at(point));
}

std::string aspectName(int aspect, bool greek) {
  if (!valid(aspect, 18)) return "";
  return greek ? trimmed(config_texts::kAspectNamesEl.at(aspect)) : kAspectsEn[aspect];
}

std::string pointWord(int point, bool greek) {
  if (!valid(point, 22)) return "";
  return greek ? kPointWordsEl[point] : pointName(point, false);
}

std::string aspectWord(int aspect, bool greek) {
  if (!valid(aspect, 18)) return "";
  if (greek) return kAspectWordsEl[aspect];
  std::string s = kAspectsEn[aspect];
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string capitalised(const std::string& s) {
  if (s.empty()) return s;
  const auto c = static_cast<unsigned char>(s[0]);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A') + s.substr(1);
  if (s.size() < 2 || (c != 0xCE && c != 0xCF)) return s;
  // Greek small letters, U+03AC..U+03CE, in two bytes: to their capitals.
  const char32_t cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[1]) & 0x3F);
  char32_t up = cp;
  if (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2) up = cp - 0x20;
  switch (cp) {
    case 0x3AC: up = 0x386; break;  // ά Ά
    case 0x3AD: up = 0x388; break;  // έ Έ
    case 0x3AE: up = 0x389; break;  // ή Ή
    case 0x3AF: up = 0x38A; break;  // ί Ί
    case 0x3CC: up = 0x38C; break;  // ό Ό
    case 0x3CD: up = 0x38E; break;  // ύ Ύ
    case 0x3CE: up = 0x38F; break;  // ώ Ώ
    default: break;
  }
  std::string out;
  out += static_cast<char>(0xC0 | (up >> 6));
  out += static_cast<char>(0x80 | (up & 0x3F));
  return out + s.substr(2);
}

std::string signName(int sign, bool greek) {
  return valid(sign, 12) ? (greek ? kSignsEl[sign] : kSignsEn[sign]) : "";
}

std::string pointGlyph(int point) { return valid(point, 22) ? kPointGlyphs[point] : ""; }
std::string pointGlyph(int point, bool greek) {
  if (greek && point == 20) return "ΩΡ";
  if (greek && point == 21) return "ΜΕ";
  return pointGlyph(point);
}
std::string signGlyph(int sign) { return valid(sign, 12) ? kSignGlyphs[sign] : ""; }
std::string aspectMark(int aspect) { return valid(aspect, 18) ? kAspectMarks[aspect] : ""; }

int aspectFamily(int aspect) {
  switch (aspect) {
    case 0:
    case 1:
    case 2:
    case 7:
    case 8: return 0;
    case 3:
    case 4: return 1;
    default: return 2;
  }
}

}  // namespace orvenda::natal
