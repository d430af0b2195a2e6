#include "sheet/sky_reading.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "natal/names.h"
#include "sheet/time_report.h"

namespace orvenda::reading {
namespace {

// A sign after "σε", as Greek says "the Moon in Pisces" without the article: the accusative.
constexpr const char* kSignsAccusativeEl[12] = {"Κριό",   "Ταύρο",    "Διδύμους", "Καρκίνο",
                                                "Λέοντα", "Παρθένο",  "Ζυγό",     "Σκορπιό",
                                                "Τοξότη", "Αιγόκερω", "Υδροχόο",  "Ιχθύες"};

const char* kindWord(sky::EclipseKind k, bool greek) {
  switch (k) {
    case sky::EclipseKind::Total: return greek ? "ολική" : "total";
    case sky::EclipseKind::Annular: return greek ? "δακτυλιοειδής" : "annular";
    case sky::EclipseKind::Hybrid: return greek ? "υβριδική" : "hybrid";
    case sky::EclipseKind::Partial: return greek ? "μερική" : "partial";
    case sky::EclipseKind::Penumbral: return greek ? "παρασκιώδης" : "penumbral";
  }
  return "";
}

// The points an eclipse is read on: the ten planets and the two angles.
bool eclipseReadOn(int point) {
  return (point >= 0 && point <= 9) || point == natal::kAscendant || point == natal::kMidheaven;
}

std::string orbText(double deviation) {
  const long long m = std::llround(std::fabs(deviation) * 60);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′", m / 60, m % 60);
  return buf;
}

}  // namespace

std::string skyDegree(double longitude, bool greek) {
  const long long minutes =
      std::min<long long>(std::llround(natal::normalized(longitude) * 60),
                          static_cast<long long>(natal::signOf(longitude)) * 1800 + 1799);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′ ", minutes / 60 % 30, minutes % 60);
  return buf + natal::signName(static_cast<int>(minutes / 1800 % 12), greek);
}

std::string houseWords(int house, bool greek) {
  const std::string n = std::to_string(house);
  if (greek) return n + "ος οίκος";
  return "the " + n + (house == 1 ? "st" : house == 2 ? "nd" : house == 3 ? "rd" : "th") + " house";
}

std::string signAfterIn(int sign) { return kSignsAccusativeEl[((sign % 12) + 12) % 12]; }

std::string eclipseKindWord(sky::EclipseKind kind, bool greek) { return kindWord(kind, greek); }

Reading skyReading(const SkyRead& sky, const TextSet& texts, bool greek, std::int32_t sex) {
  Reading r;
  r.greek = greek;
  r.title = greek ? "Ο ουρανός της περιόδου" : "The sky of the period";
  if (!sky.timeKnown)
    r.timeNote = greek ? "Η ώρα γέννησης δεν είναι γνωστή: οι νέες σελήνες, οι πανσέληνοι και οι "
                         "εκλείψεις δεν διαβάζονται κατά οίκο."
                       : "The birth time is not known: the new and full moons and the eclipses "
                         "are not read by house.";
  std::set<std::string> missing;
  auto part = [&](const std::string& key, const std::string& lead = "") {
    Part p;
    p.keys = {key};
    p.lead = lead;
    if (const std::string* text = texts.find(key))
      p.text = withChoices(*text, sex);
    else if (missing.insert(key).second)
      r.missing.push_back(key);
    return p;
  };
  // Greek separates the items of a list with the raised dot: its semicolon asks a question.
  const std::string between = greek ? " · " : "; ";
  auto day = [&](long long local) { return report::dayText(local, greek); };
  // "στον 10ο οίκο", "in the 10th house".
  auto inHouse = [&](int house) {
    return greek ? "στον " + std::to_string(house) + "ο οίκο" : "in " + houseWords(house, false);
  };

  // The new and full moons, a text for each house and phase, told once.
  if (sky.lunationsAsked) {
    Chapter ch{
        "lunations", greek ? "Νέες σελήνες και πανσέληνοι" : "The new and full moons", {}, {}};
    std::vector<std::string> order;
    std::vector<std::vector<const LunationRead*>> byKey;
    int read = 0;
    for (const LunationRead& l : sky.lunations) {
      if (l.phase != sky::Phase::NewMoon && l.phase != sky::Phase::FullMoon) continue;
      ++read;
      if (l.house < 1 || l.house > 12) continue;
      const std::string key =
          *canonicalKey(std::string(l.phase == sky::Phase::NewMoon ? "new moon" : "full moon") +
                        " in house " + std::to_string(l.house));
      const auto at = std::find(order.begin(), order.end(), key);
      if (at == order.end()) {
        order.push_back(key);
        byKey.push_back({&l});
      } else {
        byKey[static_cast<std::size_t>(at - order.begin())].push_back(&l);
      }
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
      const LunationRead& first = *byKey[i].front();
      Entry e;
      e.heading =
          std::string(first.phase == sky::Phase::NewMoon ? (greek ? "Νέα σελήνη " : "New moon ")
                                                         : (greek ? "Πανσέληνος " : "Full moon ")) +
          inHouse(first.house) + ": ";
      for (std::size_t k = 0; k < byKey[i].size(); ++k)
        e.heading += (k ? between : "") + day(byKey[i][k]->localTime) + ", " +
                     skyDegree(byKey[i][k]->longitude, greek);
      e.parts.push_back(part(order[i]));
      ch.entries.push_back(e);
    }
    if (read == 0)
      ch.lines.push_back(greek ? "Καμία νέα σελήνη ή πανσέληνος μέσα στην περίοδο."
                               : "No new or full moon in the period.");
    else if (ch.entries.empty())
      ch.lines.push_back(greek ? "Χωρίς την ώρα γέννησης οι σελήνες της περιόδου δεν έχουν "
                                 "γενέθλιο οίκο για να διαβαστούν."
                               : "Without the birth time the period's new and full moons have no "
                                 "natal house to be read by.");
    r.chapters.push_back(ch);
  }

  // The eclipses: by house, then by the natal points they touch, each text once.
  if (sky.eclipsesAsked) {
    Chapter ch{"eclipses", greek ? "Οι εκλείψεις" : "The eclipses", {}, {}};
    std::vector<std::string> order;
    std::vector<std::vector<const EclipseRead*>> byKey;
    std::vector<std::string> pointOrder;
    std::vector<std::vector<std::pair<const EclipseRead*, const natal::AspectFound*>>> byPoint;
    for (const EclipseRead& x : sky.eclipses) {
      if (x.house >= 1 && x.house <= 12) {
        const std::string key = *canonicalKey(std::string(x.solar ? "solar" : "lunar") +
                                              " eclipse in house " + std::to_string(x.house));
        const auto at = std::find(order.begin(), order.end(), key);
        if (at == order.end()) {
          order.push_back(key);
          byKey.push_back({&x});
        } else {
          byKey[static_cast<std::size_t>(at - order.begin())].push_back(&x);
        }
      }
      for (const natal::AspectFound& a : x.touches) {
        if (!eclipseReadOn(a.b)) continue;
        const std::string key = *canonicalKey("eclipse on " + natal::pointName(a.b, false));
        const auto at = std::find(pointOrder.begin(), pointOrder.end(), key);
        if (at == pointOrder.end()) {
          pointOrder.push_back(key);
          byPoint.push_back({{&x, &a}});
        } else {
          byPoint[static_cast<std::size_t>(at - pointOrder.begin())].push_back({&x, &a});
        }
      }
    }
    // "annular solar eclipse, 6 February 2027", "δακτυλιοειδής ηλιακή έκλειψη, 6 Φεβρουαρίου
    // 2027".
    auto named = [&](const EclipseRead& x) {
      return std::string(kindWord(x.kind, greek)) +
             (greek ? (x.solar ? " ηλιακή έκλειψη, " : " σεληνιακή έκλειψη, ")
                    : (x.solar ? " solar eclipse, " : " lunar eclipse, ")) +
             day(x.localTime);
    };
    for (std::size_t i = 0; i < order.size(); ++i) {
      const EclipseRead& first = *byKey[i].front();
      Entry e;
      e.heading = std::string(first.solar ? (greek ? "Ηλιακή έκλειψη " : "Solar eclipse ")
                                          : (greek ? "Σεληνιακή έκλειψη " : "Lunar eclipse ")) +
                  inHouse(first.house) + ": ";
      for (std::size_t k = 0; k < byKey[i].size(); ++k) {
        const EclipseRead& x = *byKey[i][k];
        e.heading += (k ? between : "") + std::string(kindWord(x.kind, greek)) + ", " +
                     day(x.localTime) + ", " + skyDegree(x.longitude, greek);
      }
      e.parts.push_back(part(order[i]));
      ch.entries.push_back(e);
    }
    for (std::size_t i = 0; i < pointOrder.size(); ++i) {
      const int point = byPoint[i].front().second->b;
      Entry e;
      e.heading = greek ? "Έκλειψη σε γενέθλιο σημείο: " + natal::pointWord(point, true) + " — "
                        : "An eclipse on the natal " + natal::pointWord(point, false) + ": ";
      for (std::size_t k = 0; k < byPoint[i].size(); ++k) {
        const auto& [x, a] = byPoint[i][k];
        e.heading += (k ? between : "") + named(*x) + " (" +
                     (a->aspect == 0 ? (greek ? "σύνοδος" : "conjunction")
                                     : (greek ? "αντίθεση" : "opposition")) +
                     ", " + orbText(a->deviation) + ")";
      }
      e.parts.push_back(part(pointOrder[i]));
      ch.entries.push_back(e);
    }
    if (sky.eclipses.empty())
      ch.lines.push_back(greek ? "Καμία έκλειψη μέσα στην περίοδο." : "No eclipse in the period.");
    else if (ch.entries.empty())
      ch.lines.push_back(greek ? "Οι εκλείψεις της περιόδου δεν πέφτουν σε γενέθλιο οίκο ούτε "
                                 "αγγίζουν γενέθλιο σημείο που να διαβάζεται."
                               : "The period's eclipses fall in no natal house and on no natal "
                                 "point that is read.");
    r.chapters.push_back(ch);
  }

  // The void Moon: read once, with the count of its stretches and the longest.
  if (sky.voidAsked) {
    Chapter ch{"void", greek ? "Η κενή πορεία της Σελήνης" : "The void-of-course Moon", {}, {}};
    if (sky.voidStretches == 0) {
      ch.lines.push_back(greek ? "Η Σελήνη δεν είναι κενή πορείας μέσα στην περίοδο."
                               : "The Moon is not void of course in the period.");
    } else {
      const long long minutes = (sky.longestTo - sky.longestFrom + 30) / 60;
      const long long h = minutes / 60, m = minutes % 60;
      const std::string length = greek ? std::to_string(h) + (h == 1 ? " ώρα" : " ώρες") + " και " +
                                             std::to_string(m) + (m == 1 ? " λεπτό" : " λεπτά")
                                       : std::to_string(h) + (h == 1 ? " hour " : " hours ") +
                                             std::to_string(m) + (m == 1 ? " minute" : " minutes");
      const std::string count = std::to_string(sky.voidStretches);
      const std::string from = report::minuteText(sky.longestFrom, greek),
                        to = report::minuteText(sky.longestTo, greek);
      ch.lines.push_back(
          greek ? (sky.voidStretches == 1 ? "Ένα διάστημα" : count + " διαστήματα") +
                      std::string(" κενής πορείας μέσα στην περίοδο· το μεγαλύτερο, ") + length +
                      ", από " + from + " έως " + to + ", με τη Σελήνη σε " +
                      kSignsAccusativeEl[sky.longestSign % 12] + "."
                : (sky.voidStretches == 1 ? "One stretch" : count + " stretches") +
                      std::string(" of the void Moon in the period; the longest, ") + length +
                      ", from " + from + " to " + to + ", the Moon in " +
                      natal::signName(sky.longestSign % 12, false) + ".");
      Entry e;
      e.parts.push_back(part(*canonicalKey("void of course")));
      ch.entries.push_back(e);
    }
    r.chapters.push_back(ch);
  }

  // The new or full moon before the birth, by its sign.
  if (sky.prenatal) {
    const LunationRead& l = *sky.prenatal;
    const bool isNew = l.phase == sky::Phase::NewMoon;
    Chapter ch{"prenatal",
               greek ? (isNew ? "Η προγεννητική σύνοδος" : "Η προγεννητική πανσέληνος")
                     : (isNew ? "The new moon before birth" : "The full moon before birth"),
               {},
               {}};
    Entry e;
    e.heading = day(l.localTime) + ", " + skyDegree(l.longitude, greek);
    const int sign = natal::signOf(l.longitude);
    e.parts.push_back(
        part(*canonicalKey(std::string("prenatal ") + (isNew ? "new moon" : "full moon") + " in " +
                           natal::signName(sign, false))));
    ch.entries.push_back(e);
    r.chapters.push_back(ch);
  }
  return r;
}

}  // namespace orvenda::reading
