#include "sheet/timelords_reading.h"

#include <algorithm>
#include <set>
#include <string>

#include "natal/names.h"
#include "sheet/time_report.h"
#include "timelords/directions.h"

namespace orvenda::reading {
namespace {

std::string lordKey(int lord) {
  if (lord == timelords::kNorthNode) return "North Node";
  if (lord == timelords::kSouthNode) return "South Node";
  return natal::pointName(lord, false);
}

std::string lordWord(int lord, bool greek) {
  if (lord == timelords::kNorthNode) return greek ? "Βόρειος Δεσμός" : "the North Node";
  if (lord == timelords::kSouthNode) return greek ? "Νότιος Δεσμός" : "the South Node";
  return natal::pointWord(lord, greek);
}

}  // namespace

Reading timelordsReading(const TimelordsNow& now, const TextSet& texts, bool greek,
                         std::int32_t sex) {
  Reading r;
  r.greek = greek;
  r.title = greek ? "Οι χρονοκράτορες" : "The time lords";
  std::set<std::string> missing;
  auto entry = [&](Chapter& ch, const std::string& heading, const std::string& display) {
    const std::string key = *canonicalKey(display);
    Entry e;
    e.heading = heading;
    Part p;
    p.keys = {key};
    if (const std::string* text = texts.find(key))
      p.text = withChoices(*text, sex);
    else if (missing.insert(key).second)
      r.missing.push_back(key);
    e.parts.push_back(p);
    ch.entries.push_back(e);
  };
  if (now.year) {
    const auto& y = *now.year;
    Chapter ch{"profection", greek ? "Η ετήσια περιφορά" : "The profected year", {}, {}};
    const std::string house = std::to_string(y.house);
    entry(ch,
          greek ? "Ο " + house + "ος τόπος (" + natal::signName(y.sign, true) + ")"
                : "The " + house +
                      (y.house == 1   ? "st"
                       : y.house == 2 ? "nd"
                       : y.house == 3 ? "rd"
                                      : "th") +
                      " house (" + natal::signName(y.sign, false) + ")",
          "profection house " + house);
    entry(ch, (greek ? "Κύριος του έτους: " : "The lord of the year: ") + lordWord(y.lord, greek),
          "lord of the year " + lordKey(y.lord));
    r.chapters.push_back(ch);
  }
  if (now.firdar) {
    Chapter ch{"firdaria", greek ? "Η φιρδαρία" : "The firdaria", {}, {}};
    entry(ch, (greek ? "Φιρδαρία: " : "The firdar of ") + lordWord(now.firdar->lord, greek),
          "firdaria " + lordKey(now.firdar->lord));
    if (now.sub)
      entry(ch,
            (greek ? "Υποπερίοδος: " : "The sub-period: ") + lordWord(now.sub->lord, greek) +
                " · " + lordWord(now.sub->sub, greek),
            "firdaria " + lordKey(now.sub->lord) + " with " + lordKey(now.sub->sub));
    r.chapters.push_back(ch);
  }
  if (!now.releasing.empty()) {
    Chapter ch{"releasing",
               greek ? (now.fromSpirit ? "Η άφεση από τον κλήρο του Δαίμονος"
                                       : "Η άφεση από τον κλήρο της Τύχης")
                     : (now.fromSpirit ? "Zodiacal releasing from the Lot of Spirit"
                                       : "Zodiacal releasing from the Lot of Fortune"),
               {},
               {}};
    std::set<std::string> told;
    bool peak = false, loosing = false;
    for (const auto* p : now.releasing) {
      const std::string sign = natal::signName(p->sign, false);
      const std::string level = std::to_string(p->level);
      peak = peak || p->peak > 0;
      loosing = loosing || p->loosing;
      if (!told.insert(sign).second) continue;  // the same sign at two levels: told once
      entry(ch, (greek ? "Επίπεδο " : "Level ") + level + ": " + natal::signName(p->sign, greek),
            "releasing " + sign);
    }
    if (peak) entry(ch, greek ? "Κορυφή" : "A peak period", "releasing peak");
    if (loosing)
      entry(ch, greek ? "Λύση του δεσμού" : "The loosing of the bond", "releasing loosing");
    r.chapters.push_back(ch);
  }
  return r;
}

Reading directionsReading(const std::vector<DirectionRead>& directions, const TextSet& texts,
                          bool greek, std::int32_t sex) {
  Reading r;
  r.greek = greek;
  r.title = greek ? "Οι διευθύνσεις" : "The directions";
  Chapter ch{
      "directions", greek ? "Οι διευθύνσεις της περιόδου" : "The directions of the period", {}, {}};
  auto significatorKey = [](int s) {
    return s >= timelords::kLotId ? std::string("Lot of Fortune") : natal::pointName(s, false);
  };
  // In Greek an arrow between the two names, which keeps them in the nominative.
  auto significatorWord = [&](int s) {
    if (s >= timelords::kLotId)
      return std::string(greek ? "Κλήρος της Τύχης" : "the Lot of Fortune");
    return greek ? natal::pointWord(s, true) : "the " + natal::pointWord(s, false);
  };
  std::vector<std::string> order;
  std::vector<std::vector<const DirectionRead*>> byKey;
  for (const DirectionRead& d : directions) {
    if (d.planet < 0 || d.planet >= 7 || d.aspect < 0 || d.aspect > 4 || d.planet == d.significator)
      continue;
    const char* nature = d.aspect == 0   ? "conjunction"
                         : d.aspect <= 2 ? "challenging"
                                         : "harmonious";
    const auto canonical = canonicalKey("direction " + natal::pointName(d.planet, false) + " to " +
                                        significatorKey(d.significator) + " " + nature);
    if (!canonical) continue;
    const std::string& key = *canonical;
    const auto at = std::find(order.begin(), order.end(), key);
    if (at == order.end()) {
      order.push_back(key);
      byKey.push_back({&d});
    } else {
      byKey[static_cast<std::size_t>(at - order.begin())].push_back(&d);
    }
  }
  std::set<std::string> missing;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const DirectionRead& first = *byKey[i].front();
    Entry e;
    e.heading = natal::pointWord(first.planet, greek) + (greek ? " → " : " to ") +
                significatorWord(first.significator) + " (" +
                natal::aspectWord(first.aspect, greek) + ")";
    // What kind each is and when: "zodiacal direct, 14 May 2026; mundane direct, …".
    std::string when;
    for (const DirectionRead* d : byKey[i]) {
      static constexpr const char* kKindsEn[] = {"solar arc", "Naibod's rate", "zodiacal",
                                                 "mundane"};
      static constexpr const char* kKindsEl[] = {"ηλιακό τόξο", "ρυθμός του Naibod", "ζωδιακή",
                                                 "κοσμική"};
      when += when.empty() ? "" : "; ";
      when += (greek ? kKindsEl : kKindsEn)[d->kind];
      if (d->kind >= DirectionRead::kZodiacal)
        when +=
            d->converse ? (greek ? " αντίστροφη" : " converse") : (greek ? " ευθεία" : " direct");
      when += ", " + report::dayText(d->localDate, greek);
    }
    e.heading += ": " + when;
    Part p;
    p.keys = {order[i]};
    if (const std::string* text = texts.find(order[i]))
      p.text = withChoices(*text, sex);
    else if (missing.insert(order[i]).second)
      r.missing.push_back(order[i]);
    e.parts.push_back(p);
    ch.entries.push_back(e);
  }
  if (ch.entries.empty())
    ch.lines.push_back(greek ? "Καμία διεύθυνση πλανήτη προς τον ωροσκόπο, το μεσουράνημα, τα φώτα "
                               "ή τον κλήρο της Τύχης μέσα στην περίοδο."
                             : "No direction of a planet to the Ascendant, the Midheaven, the "
                               "lights or the Lot of Fortune in the period.");
  r.chapters.push_back(ch);
  return r;
}

}  // namespace orvenda::reading
