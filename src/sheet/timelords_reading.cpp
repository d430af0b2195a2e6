#include "sheet/timelords_reading.h"

#include <set>
#include <string>

#include "natal/names.h"

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
    Chapter ch{"firdaria", greek ? "Οι φιρδάριες" : "The firdaria", {}, {}};
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
    Chapter ch{
        "releasing",
        greek ? (now.fromSpirit ? "Η άφεση από τον κλήρο Δαίμονος" : "Η άφεση από τον κλήρο Τύχης")
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

}  // namespace orvenda::reading
