// Writes the pages that need no script, in English and in Greek, from the atlas and the
// system's time-zone database: every country's places with their coordinates in the
// program's fields, and every zone's history of offsets with its gaps and folds.
// Usage: make_pages ATLAS OUTPUT_DIR
#include <date/tz.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "places/atlas.h"
#include "places/fields.h"
#include "places/zone_offset.h"
#include "places/zone_rule.h"

namespace {

namespace fs = std::filesystem;
using orvenda::places::Atlas;
using orvenda::places::Place;

// A page grows past about 1 MB at this many places.
constexpr std::size_t kPlacesPerPage = 6000;
// The periods listed run to the end of 2037, or to a zone's last listed change where its
// file lists changes beyond (Gaza's to 2086); the footer rule goes on after them.
constexpr int kLastYear = 2037;

struct Language {
  const char* suffix;  // "-en" or ""
  const char* lang;
  const char* places;
  const char* placesIntro;
  const char* countries;
  const char* place;
  const char* region;
  const char* zone;
  const char* zonesOfCountry;
  const char* part;
  const char* zonesTitle;
  const char* zonesIntro;
  const char* from;
  const char* until;
  const char* summer;
  const char* yes;
  const char* no;
  const char* abbreviation;
  const char* change;
  const char* gap;
  const char* fold;
  const char* meanTime;
  const char* lastRules;
  const char* ruleAfter;
  const char* ruleSummer;
  const char* ruleNoSummer;
  const char* nearest;
  const char* back;
  const char* search;
  const char* atlasNote;
  const char* otherNames;
  const char* linkPage;  // "%s is another name of %s ...", the second a link to the zone's page
};

const Language kEnglish = {
    "-en",
    "en",
    "Places",
    "Every place of the atlas by country, with its longitude (LON, Min, Sec) and latitude "
    "(LAT, Min, Sec) as the program's fields take them: east and north positive, the sign on "
    "the degrees only. The zone leads to its history of offsets from GMT.",
    "Countries",
    "Place",
    "Region",
    "Time zone",
    "Time zones of the country",
    "part",
    "Time zones",
    "Each period of the zone's history: from and until are the local clock times at its "
    "start and end. GMT and min are the program's fields for the offset (the minutes always "
    "0 to 59: a clock 3 h 30 min behind GMT is GMT -4, min 30).",
    "From (local time)",
    "Until",
    "Summer time",
    "yes",
    "no",
    "Abbreviation",
    "At the change",
    "clocks forward: the local times from %s to %s did not exist",
    "clocks back: the local times from %s to %s happened twice",
    "local mean time of the zone's city; a birth elsewhere keeps its own mean time, its "
    "longitude ÷ 15 hours (orvenda-chart new does this)",
    "The table stops at %d; the zone's rule goes on after it.",
    "From %d on: %s (%s)",
    ", and summer time %s (%s) from %s (local standard time) until %s (local summer time)",
    ", all year",
    "the record can't hold an angle between 0 and 1 degree west or south (its sign is on "
    "the degrees): the nearest value it can hold, marked ≈, with the true angle beside it",
    "All places",
    "With the search (needs JavaScript)",
    "Places: GeoNames (https://www.geonames.org/), CC BY 4.0. Offsets: the IANA time zone "
    "database of this system.",
    "Other names of these zones",
    "%s is another name of %s in the time-zone database: the same clocks, with the same "
    "history, on that zone's page."};

const Language kGreek = {
    "",
    "el",
    "Τόποι",
    "Όλοι οι τόποι του άτλαντα ανά χώρα, με το γεωγραφικό μήκος (Μήκ, Λεπ, Δευ) και πλάτος "
    "(Πλά, Λεπ, Δευ) όπως τα δέχονται τα πεδία του προγράμματος: ανατολικά και βόρεια "
    "θετικά, το πρόσημο μόνο στις μοίρες. Η ζώνη οδηγεί στο ιστορικό της διαφοράς από GMT.",
    "Χώρες",
    "Τόπος",
    "Περιφέρεια",
    "Ζώνη ώρας",
    "Ζώνες ώρας της χώρας",
    "μέρος",
    "Ζώνες ώρας",
    "Κάθε περίοδος του ιστορικού της ζώνης: από και έως είναι οι τοπικές ώρες στην αρχή και "
    "στο τέλος της. Τα GMT και Λεπ είναι τα πεδία του προγράμματος για τη διαφορά (τα λεπτά "
    "πάντα 0 έως 59: ρολόι 3 ώρες 30 λεπτά πίσω από το GMT είναι GMT -4, Λεπ 30).",
    "Από (τοπική ώρα)",
    "Έως",
    "Θερινή ώρα",
    "ναι",
    "όχι",
    "Συντομογραφία",
    "Στην αλλαγή",
    "τα ρολόγια μπροστά: οι τοπικές ώρες από %s έως %s δεν υπήρξαν",
    "τα ρολόγια πίσω: οι τοπικές ώρες από %s έως %s έγιναν δύο φορές",
    "τοπικός μέσος χρόνος της πόλης της ζώνης· μια γέννηση αλλού κρατά τον δικό της μέσο "
    "χρόνο, το μήκος της ÷ 15 ώρες (το κάνει το orvenda-chart new)",
    "Ο πίνακας σταματά στο %d· ο κανόνας της ζώνης συνεχίζεται μετά.",
    "Από το %d: %s (%s)",
    ", και θερινή ώρα %s (%s) από %s (τοπική χειμερινή ώρα) έως %s (τοπική θερινή ώρα)",
    ", όλο το χρόνο",
    "η εγγραφή δεν χωρά γωνία μεταξύ 0 και 1 μοίρας δυτικά ή νότια (το πρόσημο είναι στις "
    "μοίρες): η πλησιέστερη τιμή που χωρά, με το σημάδι ≈, και δίπλα η πραγματική γωνία",
    "Όλοι οι τόποι",
    "Με την αναζήτηση (χρειάζεται JavaScript)",
    "Τόποι: GeoNames (https://www.geonames.org/), CC BY 4.0. Διαφορές: η βάση ζωνών ώρας IANA "
    "αυτού του συστήματος.",
    "Άλλα ονόματα αυτών των ζωνών",
    "Το %s είναι άλλο όνομα της ζώνης %s στη βάση ζωνών ώρας: τα ίδια ρολόγια, με το ίδιο "
    "ιστορικό, στη σελίδα της ζώνης."};

// Text inside a double-quoted JavaScript string: quotes and backslashes escaped, and "<"
// written as \u003c, so that a rule such as "<-03>3" reaches the script as it is.
std::string jsString(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\')
      out += std::string("\\") + c;
    else if (c == '<')
      out += "\\u003c";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string esc(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

// "Europe/London" -> "Europe.London": zone names have no dots, and a page per zone
// stays one file in one folder.
std::string zoneFile(std::string_view zone, const Language& l) {
  std::string f(zone);
  std::replace(f.begin(), f.end(), '/', '.');
  return f + l.suffix + ".htm";
}

std::string head(const Language& l, const std::string& title, const std::string& nav) {
  return std::string("<!DOCTYPE html>\n<html lang=\"") + l.lang +
         "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
         "content=\"width=device-width, initial-scale=1\">\n<title>Orvenda — " +
         esc(title) +
         "</title>\n<link rel=\"stylesheet\" "
         "href=\"../assets/style.css\">\n</head>\n<body>\n<nav>" +
         nav + "</nav>\n<h1>" + esc(title) + "</h1>\n";
}

bool writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

// The record's three fields of an angle; one it can't hold (less than a degree west or
// south) as the nearest value it can, marked, with the true angle beside it.
std::string fieldsOf(std::int32_t arc, bool longitude) {
  const auto a = orvenda::places::toRecordAngle(arc);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%4d   %02d   %02d", a.degrees, a.minutes, a.seconds);
  if (!a.signLost) return buf;
  const std::int32_t m = -arc;
  char exact[64];
  std::snprintf(exact, sizeof exact, " ≈<br><span class=true>(%d°%02d′%02d″ %s)</span>", m / 3600,
                m / 60 % 60, m % 60, longitude ? "W" : "S");
  return buf + std::string(exact);
}

// ---- places ------------------------------------------------------------------------------

struct CountryPages {
  std::string code;
  std::vector<const Place*> places;
  std::vector<std::pair<std::string, std::string>> parts;  // file, first and last name
};

bool writePlaces(const Atlas& atlas, const fs::path& out, const Language& l,
                 std::vector<CountryPages>& countries, const std::string& otherLanguage) {
  const bool english = l.suffix[0] != '\0';
  auto name = [&](const std::string& code) {
    return english ? atlas.countryName(code) : atlas.countryNameGreek(code);
  };
  std::vector<CountryPages*> byName;
  for (auto& c : countries) byName.push_back(&c);
  std::sort(byName.begin(), byName.end(), [&](const CountryPages* a, const CountryPages* b) {
    return orvenda::places::foldName(name(a->code)) < orvenda::places::foldName(name(b->code));
  });
  const std::string nav = std::string("<a href=\"../help") + l.suffix + ".htm\">" +
                          (english ? "Help" : "Βοήθεια") + "</a> · <a href=\"../place" + l.suffix +
                          ".htm\">" + l.search + "</a> · <a href=\"../zones/index" + l.suffix +
                          ".htm\">" + l.zonesTitle + "</a> · <a href=\"" + otherLanguage + "\">" +
                          (english ? "Ελληνικά" : "English") + "</a>";
  std::string index = head(l, l.places, nav) + "<p>" + esc(l.placesIntro) + "</p>\n<h2>" +
                      l.countries + "</h2>\n<ul>\n";
  for (const CountryPages* c : byName) {
    index += "<li><a href=\"" + c->parts[0].first + l.suffix + ".htm\">" + esc(name(c->code)) +
             "</a> (" + c->code + ", " + std::to_string(c->places.size()) + ")";
    if (c->parts.size() > 1) {
      for (std::size_t i = 0; i < c->parts.size(); ++i)
        index += std::string(i ? ", " : ": ") + "<a href=\"" + c->parts[i].first + l.suffix +
                 ".htm\">" + esc(c->parts[i].second) + "</a>";
    }
    index += "</li>\n";
  }
  index += "</ul>\n<p class=\"note\">" + esc(l.atlasNote) + "</p>\n</body>\n</html>\n";
  if (!writeFile(out / "places" / (std::string("index") + l.suffix + ".htm"), index)) return false;

  for (const CountryPages& c : countries) {
    std::set<std::string_view> zones;
    for (const Place* p : c.places) zones.insert(p->zone);
    std::string zoneLinks;
    for (auto z : zones)
      zoneLinks += std::string(zoneLinks.empty() ? "" : " · ") + "<a href=\"../zones/" +
                   zoneFile(z, l) + "\">" + esc(z) + "</a>";
    const std::string back =
        std::string("<a href=\"index") + l.suffix + ".htm\">" + l.back + "</a>";
    for (std::size_t part = 0; part < c.parts.size(); ++part) {
      const std::size_t first = part * kPlacesPerPage;
      const std::size_t last = std::min(c.places.size(), first + kPlacesPerPage);
      std::string title = name(c.code);
      if (c.parts.size() > 1) title += " (" + c.parts[part].second + ")";
      std::string page =
          head(l, l.places + std::string(": ") + title,
               back + " · <a href=\"../place" + l.suffix + ".htm\">" + l.search + "</a>");
      page += "<p>" + std::string(l.zonesOfCountry) + ": " + zoneLinks + "</p>\n";
      if (c.parts.size() > 1) {
        page += "<p>";
        for (std::size_t i = 0; i < c.parts.size(); ++i)
          page += std::string(i ? " · " : "") +
                  (i == part ? "<b>" + esc(c.parts[i].second) + "</b>"
                             : "<a href=\"" + c.parts[i].first + l.suffix + ".htm\">" +
                                   esc(c.parts[i].second) + "</a>");
        page += "</p>\n";
      }
      // A page with a marked angle keeps its digits in line: the others end in two blanks.
      bool nearestShown = false;
      for (std::size_t i = first; i < last; ++i)
        nearestShown = nearestShown ||
                       orvenda::places::toRecordAngle(c.places[i]->longitude).signLost ||
                       orvenda::places::toRecordAngle(c.places[i]->latitude).signLost;
      const std::string unmarked = nearestShown ? "  " : "";
      page += std::string("<table>\n<thead><tr><th>") + l.place + "<th>" + l.region +
              (english ? "<th>LON&nbsp; Min&nbsp; Sec<th>LAT&nbsp; Min&nbsp; Sec<th>"
                       : "<th>Μήκ&nbsp; Λεπ&nbsp; Δευ<th>Πλά&nbsp; Λεπ&nbsp; Δευ<th>") +
              l.zone + "</tr></thead>\n<tbody>\n";
      for (std::size_t i = first; i < last; ++i) {
        const Place& p = *c.places[i];
        // The closing tags that HTML lets a table cell leave out are left out: the largest
        // countries' pages stay near a megabyte.
        // Greek pages call a Greek place by its Greek name.
        const std::string_view shownName = !english && !p.greekName.empty() ? p.greekName : p.name;
        std::string lon = fieldsOf(p.longitude, true), lat = fieldsOf(p.latitude, false);
        if (lon.size() < 20) lon += unmarked;
        if (lat.size() < 20) lat += unmarked;
        page += "<tr><td>" + esc(shownName) + "<td>" + esc(p.region) + "<td class=num>" + lon +
                "<td class=num>" + lat + "<td><a href=\"../zones/" + zoneFile(p.zone, l) + "\">" +
                esc(p.zone) + "</a></tr>\n";
      }
      page += "</tbody>\n</table>\n";
      if (nearestShown) page += "<p class=\"note\">≈: " + esc(l.nearest) + ".</p>\n";
      page += "<p class=\"note\">" + esc(l.atlasNote) + "</p>\n</body>\n</html>\n";
      if (!writeFile(out / "places" / (c.parts[part].first + l.suffix + ".htm"), page))
        return false;
    }
  }
  return true;
}

// ---- zones -------------------------------------------------------------------------------

std::string localText(date::local_seconds t) { return date::format("%Y-%m-%d %H:%M", t); }
// The same in a table cell, kept on one line.
std::string cellText(date::local_seconds t) { return date::format("%Y-%m-%d&nbsp;%H:%M", t); }

date::sys_seconds tableEnd(const std::string& zone);

// The first whole year the footer rule governs: 2038, or the year after the zone's last
// listed change (Gaza's table runs to 26 October 2086, so its rule is told from 2087 on; the
// rest of 2086 is the table's last row).
int ruleYear(const std::string& zone) {
  const auto end = tableEnd(zone);
  const auto day = date::floor<date::days>(end);
  const date::year_month_day ymd{day};
  const bool newYear = ymd.month() == date::January && ymd.day() == date::day{1} && day == end;
  return static_cast<int>(ymd.year()) + (newYear ? 0 : 1);
}

std::string lastRulesText(const std::string& zone, const Language& l) {
  const auto end = tableEnd(zone);
  const date::year_month_day day{date::floor<date::days>(end)};
  // A table that ends at a new year stops with the year before it.
  const int last =
      static_cast<int>(day.year()) - (day.month() == date::January && day.day() == date::day{1} &&
                                              date::floor<date::days>(end) == end
                                          ? 1
                                          : 0);
  char text[256];
  std::snprintf(text, sizeof text, l.lastRules, last);
  return text;
}

// What the zone does after its table: the footer rule of its file, in words.
std::string ruleText(const std::string& zone, const Language& l) {
  const auto tail = orvenda::places::zoneTail(zone);
  if (!tail) return "";
  auto r = tail->rule;
  const bool greek = l.suffix[0] == '\0';
  // Ireland's rule calls its summer hour the standard one and the winter a negative
  // summer time: told the way people say it, the winter hour is the standard.
  if (r.hasSummer && r.summerOffset < r.standardOffset) {
    std::swap(r.standardOffset, r.summerOffset);
    std::swap(r.standardName, r.summerName);
    std::swap(r.start, r.end);
  }
  auto offset = [](int seconds) { return orvenda::places::formatOffsetSeconds(seconds); };
  char text[512];
  std::snprintf(text, sizeof text, l.ruleAfter, ruleYear(zone), offset(r.standardOffset).c_str(),
                r.standardName.c_str());
  std::string out = text;
  if (!r.hasSummer) return out + l.ruleNoSummer + ".";
  std::snprintf(text, sizeof text, l.ruleSummer, offset(r.summerOffset).c_str(),
                r.summerName.c_str(), orvenda::places::describeRuleDay(r.start, greek).c_str(),
                orvenda::places::describeRuleDay(r.end, greek).c_str());
  return out + text + ".";
}

// Where a zone's table stops: the end of 2037, or just after the last change its file
// lists when that is later. The footer rule holds from there on.
date::sys_seconds tableEnd(const std::string& zone) {
  const date::sys_seconds end2037{date::sys_days{date::year{kLastYear + 1} / 1 / 1}};
  const auto tail = orvenda::places::zoneTail(zone);
  if (!tail || tail->lastChange < end2037.time_since_epoch().count() ||
      tail->lastChange == INT32_MAX)  // a 32-bit reader's marker at 2038-01-19, no change
    return end2037;
  return date::sys_seconds{std::chrono::seconds{tail->lastChange + 1}};
}

bool writeZones(const std::vector<std::string>& zoneNames,
                const std::map<std::string, std::string>& links, const fs::path& out,
                const Language& l, const std::string& otherLanguage) {
  const bool english = l.suffix[0] != '\0';
  std::map<std::string, std::vector<std::string>> byArea;
  for (const auto& z : zoneNames) byArea[z.substr(0, z.find('/'))].push_back(z);
  const std::string nav =
      std::string("<a href=\"../help") + l.suffix + ".htm\">" + (english ? "Help" : "Βοήθεια") +
      "</a> · <a href=\"../timezones" + l.suffix + ".htm\">" +
      (english ? "The offset for a date (needs JavaScript)"
               : "Η διαφορά για μια ημερομηνία (χρειάζεται JavaScript)") +
      "</a> · <a href=\"../places/index" + l.suffix + ".htm\">" + l.places + "</a> · <a href=\"" +
      otherLanguage + "\">" + (english ? "Ελληνικά" : "English") + "</a>";
  std::string index = head(l, l.zonesTitle, nav) + "<p>" + esc(l.zonesIntro) + "</p>\n";
  for (auto& [area, zones] : byArea) {
    std::sort(zones.begin(), zones.end());
    index += "<h2>" + esc(area) + "</h2>\n<p>";
    for (std::size_t i = 0; i < zones.size(); ++i)
      index += std::string(i ? " · " : "") + "<a href=\"" + zoneFile(zones[i], l) + "\">" +
               esc(zones[i]) + "</a>";
    index += "</p>\n";
  }
  // A link is another name of a zone (Asia/Calcutta of Asia/Kolkata, UTC of Etc/UTC): what a
  // browser or an older file may call it. Each has a page that leads to its zone's.
  index += "<h2>" + esc(l.otherNames) + "</h2>\n<p>";
  bool firstLink = true;
  for (const auto& [name, zone] : links) {
    index += std::string(firstLink ? "" : " · ") + "<a href=\"" + zoneFile(name, l) + "\">" +
             esc(name) + "</a> (" + esc(zone) + ")";
    firstLink = false;
    char text[512];
    std::snprintf(text, sizeof text, l.linkPage, esc(name).c_str(),
                  ("<a href=\"" + zoneFile(zone, l) + "\">" + esc(zone) + "</a>").c_str());
    const std::string page =
        head(l, name,
             std::string("<a href=\"index") + l.suffix + ".htm\">" + l.zonesTitle +
                 "</a> · <a href=\"../places/index" + l.suffix + ".htm\">" + l.places + "</a>") +
        "<p>" + text + "</p>\n</body>\n</html>\n";
    if (!writeFile(out / "zones" / zoneFile(name, l), page)) return false;
  }
  index += "</p>\n</body>\n</html>\n";
  if (!writeFile(out / "zones" / (std::string("index") + l.suffix + ".htm"), index)) return false;

  for (const auto& z : zoneNames) {
    const auto end = tableEnd(z);
    const date::time_zone* tz = date::locate_zone(z);
    std::string rows;
    auto info = tz->get_info(date::sys_seconds{date::sys_days{date::year{1800} / 1 / 1}});
    std::optional<date::sys_info> previous;
    for (;;) {
      const auto offset = info.offset;
      const int minutes = orvenda::places::roundedMinutes(static_cast<int>(offset.count()));
      orvenda::BirthRecord r;
      orvenda::places::setRecordOffset(r, minutes);
      std::string from = "—", change;
      if (info.begin > date::sys_days{date::year{1800} / 1 / 1}) {
        from = cellText(date::local_seconds{info.begin.time_since_epoch() + offset});
        if (previous) {
          const auto before = date::local_seconds{info.begin.time_since_epoch() + previous->offset};
          const auto after = date::local_seconds{info.begin.time_since_epoch() + offset};
          char buf[256];
          // A change of seconds (from a mean time) is told to the second.
          const bool seconds = (offset - previous->offset).count() % 60 != 0;
          auto text = [&](date::local_seconds t) {
            return seconds ? date::format("%Y-%m-%d %H:%M:%S", t) : localText(t);
          };
          const auto step = seconds ? std::chrono::seconds{1} : std::chrono::seconds{60};
          if (offset > previous->offset)
            std::snprintf(buf, sizeof buf, l.gap, text(before).c_str(), text(after - step).c_str());
          else if (offset < previous->offset)
            std::snprintf(buf, sizeof buf, l.fold, text(after).c_str(),
                          text(before - step).c_str());
          else
            buf[0] = '\0';
          change = buf;
        }
      }
      const bool last = info.end >= end;
      const std::string until =
          last ? "" : cellText(date::local_seconds{info.end.time_since_epoch() + offset});
      char fields[64];
      std::snprintf(fields, sizeof fields, "<td class=num>%4d<td class=num>%02d", r.gmtHours,
                    r.gmtMinutes);
      // A change while the zone kept mean time (a day skipped or repeated when Alaska,
      // Manila or Apia moved across the date line) is told like any other.
      std::string note = change;
      if (info.abbrev == "LMT") note += std::string(note.empty() ? "" : "; ") + l.meanTime;
      if (offset.count() % 60 != 0)
        note += std::string(note.empty() ? "" : "; ") +
                orvenda::places::formatOffsetSeconds(static_cast<int>(offset.count()));
      const auto period = orvenda::places::periodAtUniversal(
          z, std::max<std::int64_t>(info.begin.time_since_epoch().count(),
                                    -5364662400LL));  // 1800-01-01
      rows += "<tr><td>" + from + "<td>" + until + fields + "<td>" +
              (period && period->summer ? l.yes : l.no) + "<td>" + esc(info.abbrev) + "<td>" +
              esc(note) + "</tr>\n";
      if (last || info.end == date::sys_seconds::max()) break;
      previous = info;
      info = tz->get_info(info.end);
    }
    std::string page =
        head(l, z,
             std::string("<a href=\"index") + l.suffix + ".htm\">" + l.zonesTitle +
                 "</a> · <a href=\"../places/index" + l.suffix + ".htm\">" + l.places + "</a>");
    page += "<p>" + esc(l.zonesIntro) + "</p>\n<table>\n<thead><tr><th>" + l.from + "<th>" +
            l.until + (english ? "<th>GMT<th>min<th>" : "<th>GMT<th>Λεπ<th>") + l.summer + "<th>" +
            l.abbreviation + "<th>" + l.change + "</tr></thead>\n<tbody>\n" + rows +
            "</tbody>\n</table>\n<p class=\"note\">" + esc(lastRulesText(z, l)) + " " +
            esc(ruleText(z, l)) + "</p>\n</body>\n</html>\n";
    if (!writeFile(out / "zones" / zoneFile(z, l), page)) return false;
  }
  return true;
}

// The periods of every zone as a script for the offset form of the time-zone page: the
// same periods as the tables, to the end of 2037, and the footer rule after them.
// Each zone: p, a list of [start (seconds since 1970 UT, null for the first), offset in
// seconds, summer time 1 or 0, abbreviation]; r, the rule; t, the last change the rule
// follows.
bool writeZoneScript(const std::vector<std::string>& zoneNames,
                     const std::map<std::string, std::string>& links, const fs::path& out) {
  std::string text =
      "// Generated by tools/make_pages.cpp from this system's time-zone database; do not "
      "edit.\nwindow.ORVENDA_ZONES = {\n";
  for (std::size_t i = 0; i < zoneNames.size(); ++i) {
    const auto& z = zoneNames[i];
    const auto end = tableEnd(z);
    const date::time_zone* tz = date::locate_zone(z);
    text += "\"" + z + "\":{p:[";
    auto info = tz->get_info(date::sys_seconds{date::sys_days{date::year{1800} / 1 / 1}});
    bool first = true;
    for (;;) {
      const auto period = orvenda::places::periodAtUniversal(
          z, std::max<std::int64_t>(info.begin.time_since_epoch().count(), -5364662400LL));
      text +=
          std::string(first ? "" : ",") + "[" +
          (first ? std::string("null") : std::to_string(info.begin.time_since_epoch().count())) +
          "," + std::to_string(info.offset.count()) + "," + (period && period->summer ? "1" : "0") +
          ",\"" + esc(info.abbrev) + "\"]";
      first = false;
      if (info.end >= end || info.end == date::sys_seconds::max()) break;
      info = tz->get_info(info.end);
    }
    text += "]";
    if (const auto tail = orvenda::places::zoneTail(z))
      text +=
          ",r:\"" + jsString(tail->text) + "\",t:" +
          (tail->lastChange == INT64_MIN ? std::string("-1e18") : std::to_string(tail->lastChange));
    text += std::string("}") + (i + 1 < zoneNames.size() ? "," : "") + "\n";
  }
  text += "};\n";
  // Every other name of a zone, as a browser may name its own (Asia/Calcutta, UTC).
  text += "window.ORVENDA_ZONE_LINKS = {";
  bool first = true;
  for (const auto& [name, zone] : links) {
    text +=
        std::string(first ? "" : ",") + "\n\"" + jsString(name) + "\":\"" + jsString(zone) + "\"";
    first = false;
  }
  text += "\n};\n";
  return writeFile(out / "assets" / "zones.js", text);
}

// The zones of the system's database and its links (name -> zone). The database's own list
// (tzdata.zi) tells a link ("L Asia/Kolkata Asia/Calcutta") from a zone; without it, a link
// is a symbolic link among the zone files. Factory, a placeholder of no place, is left out.
std::pair<std::vector<std::string>, std::map<std::string, std::string>> databaseNames() {
  const char* dir = std::getenv("TZDIR");
  const fs::path root = dir && *dir ? dir : "/usr/share/zoneinfo";
  std::map<std::string, std::string> links;
  bool listed = false;
  if (std::ifstream zi(root / "tzdata.zi"); zi) {
    listed = true;
    for (std::string line; std::getline(zi, line);) {
      if (!line.starts_with("L ")) continue;
      const auto space = line.find(' ', 2);
      if (space != std::string::npos) links[line.substr(space + 1)] = line.substr(2, space - 2);
    }
  }
  std::vector<std::string> zones;
  std::error_code ec;
  const fs::path canonicalRoot = fs::canonical(root, ec);
  for (const auto& z : date::get_tzdb().zones) {
    const std::string name(z.name());
    if (name == "Factory" || links.count(name)) continue;
    if (!listed && fs::is_symlink(root / name, ec)) {
      const auto target = fs::canonical(root / name, ec).lexically_relative(canonicalRoot);
      if (!ec && !target.empty()) {
        links[name] = target.generic_string();
        continue;
      }
    }
    zones.push_back(name);
  }
  std::sort(zones.begin(), zones.end());
  // A link whose zone the system lacks leads nowhere.
  std::erase_if(links, [&](const auto& l) {
    return !std::binary_search(zones.begin(), zones.end(), l.second);
  });
  return {zones, links};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_pages ATLAS OUTPUT_DIR\n";
    return 2;
  }
  std::string why;
  const auto atlas = Atlas::load(argv[1], why);
  if (!atlas) {
    std::cerr << "make_pages: " << why << "\n";
    return 1;
  }
  const fs::path out = argv[2];
  std::error_code ec;
  fs::remove_all(out / "places", ec);
  fs::remove_all(out / "zones", ec);
  fs::create_directories(out / "places");
  fs::create_directories(out / "zones");

  std::map<std::string, CountryPages> countries;
  std::set<std::string> zones;
  for (std::size_t i = 0; i < atlas->size(); ++i) {
    const Place& p = atlas->place(i);
    auto& c = countries[std::string(p.country)];
    c.code = p.country;
    c.places.push_back(&p);
    zones.insert(std::string(p.zone));
  }
  std::vector<CountryPages> list;
  for (auto& [code, c] : countries) {
    // By folded name, then the larger first; the atlas is largest first already.
    std::vector<std::pair<std::string, const Place*>> keyed;
    for (const Place* p : c.places) keyed.emplace_back(orvenda::places::foldName(p->name), p);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) c.places[i] = keyed[i].second;
    for (std::size_t first = 0; first < c.places.size(); first += kPlacesPerPage) {
      const std::size_t last = std::min(c.places.size(), first + kPlacesPerPage) - 1;
      std::string file = code;
      if (c.places.size() > kPlacesPerPage)
        file += "-" + std::to_string(first / kPlacesPerPage + 1);
      c.parts.push_back(
          {file, std::string(c.places[first]->name) + " – " + std::string(c.places[last]->name)});
    }
    list.push_back(std::move(c));
  }
  // Every name of the system's database gets a page: a zone its history, a link (another
  // name of a zone) a page that leads to its zone's. So every zone the tool can write (a
  // place's, the boundaries' own, the nautical Etc/GMT+2, any --zone) has one, whether or
  // not the atlas uses it.
  const auto [zoneNames, links] = databaseNames();
  for (const auto& z : zones)
    if (std::find(zoneNames.begin(), zoneNames.end(), z) == zoneNames.end() && !links.count(z)) {
      std::cerr << "make_pages: the system's time-zone database has no zone " << z
                << ", which the atlas names\n";
      return 1;
    }
  bool ok = writePlaces(*atlas, out, kEnglish, list, "index.htm") &&
            writePlaces(*atlas, out, kGreek, list, "index-en.htm") &&
            writeZones(zoneNames, links, out, kEnglish, "index.htm") &&
            writeZones(zoneNames, links, out, kGreek, "index-en.htm") &&
            writeZoneScript(zoneNames, links, out);
  if (!ok) {
    std::cerr << "make_pages: can't write the pages in " << out << "\n";
    return 1;
  }
  std::cout << list.size() << " countries, " << atlas->size() << " places, " << zoneNames.size()
            << " zones and " << links.size() << " other names of them\n";
  return 0;
}
