// The print sheet: the birth data an astrologer takes from the program, laid out for
// reading on screen and for printing.
#include "core/print_sheet.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "console/cp737.h"

namespace orvenda {
namespace {

struct SheetTexts {
  const char* lang;
  const char* title;
  const char* chart;
  const char* date;
  const char* time;
  const char* known;
  const char* unknown;
  const char* sex;
  const char* sexes[3];
  const char* offset;
  const char* universal;
  const char* longitude;
  const char* latitude;
  const char* east;
  const char* west;
  const char* north;
  const char* south;
  const char* months[12];
  const char* notADate;
  const char* footer;
};

constexpr SheetTexts kEnglish = {"en",
                                 "Birth data",
                                 "Chart",
                                 "Date of birth",
                                 "Time of birth",
                                 "known",
                                 "un-known",
                                 "Sex",
                                 {"not chosen", "Man", "Woman"},
                                 "Offset from GMT",
                                 "Universal time",
                                 "Longitude",
                                 "Latitude",
                                 "E",
                                 "W",
                                 "N",
                                 "S",
                                 {"January", "February", "March", "April", "May", "June", "July",
                                  "August", "September", "October", "November", "December"},
                                 "not a date of the calendar",
                                 "Written by Orvenda when R was pressed."};

constexpr SheetTexts kGreek = {
    "el",
    "Στοιχεία γέννησης",
    "Χάρτης",
    "Ημερομηνία γέννησης",
    "Ώρα γέννησης",
    "γνωστή",
    "άγνωστη",
    "Φύλο",
    {"δεν επιλέχθηκε", "Άνδρας", "Γυναίκα"},
    "Διαφορά από GMT",
    "Παγκόσμια ώρα",
    "Γεωγραφικό μήκος",
    "Γεωγραφικό πλάτος",
    "Α",
    "Δ",
    "Β",
    "Ν",
    {"Ιανουαρίου", "Φεβρουαρίου", "Μαρτίου", "Απριλίου", "Μαΐου", "Ιουνίου", "Ιουλίου", "Αυγούστου",
     "Σεπτεμβρίου", "Οκτωβρίου", "Νοεμβρίου", "Δεκεμβρίου"},
    "δεν είναι ημερομηνία του ημερολογίου",
    "Γράφτηκε από το Orvenda με το πλήκτρο R."};

std::string escaped(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string format(const char* f, long long a, long long b, long long c) {
  char buf[96];
  std::snprintf(buf, sizeof buf, f, a, b, c);
  return buf;
}

// A date in words where it is one ("14 March 1957"), else its numbers as they stand.
std::string dateText(const SheetTexts& t, const std::chrono::year_month_day& ymd, long long d,
                     long long m, long long y) {
  if (!ymd.ok()) return format("%lld/%02lld/%lld", d, m, y) + " (" + t.notADate + ")";
  return std::to_string(d) + " " + t.months[m - 1] + " " + std::to_string(y);
}

// An angle as the record holds it (the sign on the degrees), with its hemisphere.
std::string angleText(std::int32_t deg, std::int32_t min, std::int32_t sec, const char* plus,
                      const char* minus) {
  return format("%lld° %02lld′ %02lld″ ", std::llabs(static_cast<long long>(deg)), min, sec) +
         (deg < 0 ? minus : plus) + format(" &nbsp;(%lld %02lld %02lld)", deg, min, sec);
}

}  // namespace

std::string printSheet(const AppState& state, const BirthRecord& r) {
  using namespace std::chrono;
  const SheetTexts& t = state.horoscopeLanguage == 1 ? kGreek : kEnglish;
  const year_month_day ymd{year{r.year}, month{static_cast<unsigned>(r.month)},
                           day{static_cast<unsigned>(r.day)}};
  const bool clock = r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59 &&
                     r.second >= 0 && r.second <= 59;
  const long long offset = r.gmtHours * 60LL + r.gmtMinutes;
  const std::string name = escaped(cp737ToUtf8(state.chartName));

  std::string rows;
  auto row = [&](const char* label, const std::string& value) {
    rows += "<tr><th>" + std::string(label) + "</th><td>" + value + "</td></tr>\n";
  };
  row(t.chart, name);
  row(t.date, dateText(t, ymd, r.day, r.month, r.year));
  row(t.time, format("%02lld:%02lld:%02lld", r.hour, r.minute, r.second) + " (" +
                  (state.timeMode == 1 ? t.unknown : t.known) + ")");
  row(t.sex, t.sexes[state.sex >= 0 && state.sex <= 2 ? state.sex : 0]);
  const long long a = offset < 0 ? -offset : offset;
  row(t.offset, format("GMT %lld min %02lld", r.gmtHours, r.gmtMinutes, 0) +
                    format(" &nbsp;(UTC%c%lld:%02lld)", offset < 0 ? '-' : '+', a / 60, a % 60));
  if (ymd.ok() && clock) {
    // Local clock time = universal time + offset.
    const auto local = sys_days{ymd} + hours{r.hour} + minutes{r.minute} + seconds{r.second};
    const auto ut = local - minutes{offset};
    const auto utDay = floor<days>(ut);
    const year_month_day u{utDay};
    const hh_mm_ss<seconds> hms{ut - utDay};
    row(t.universal, dateText(t, u, static_cast<unsigned>(u.day()),
                              static_cast<unsigned>(u.month()), static_cast<int>(u.year())) +
                         format(", %02lld:%02lld:%02lld UT", hms.hours().count(),
                                hms.minutes().count(), hms.seconds().count()));
  } else {
    row(t.universal, "—");
  }
  row(t.longitude, angleText(r.lonDegrees, r.lonMinutes, r.lonSeconds, t.east, t.west));
  row(t.latitude, angleText(r.latDegrees, r.latMinutes, r.latSeconds, t.north, t.south));

  return std::string("<!DOCTYPE html>\n<html lang=\"") + t.lang +
         "\">\n<head>\n<meta charset=\"utf-8\">\n<title>Orvenda: " + t.title + ": " + name +
         "</title>\n"
         "<style>\n"
         "body { font-family: Georgia, \"DejaVu Serif\", serif; margin: 2em auto; max-width: "
         "42em; color: #000; background: #fff; }\n"
         "h1 { font-size: 1.5em; margin: 0 0 1em; border-bottom: 1px solid #000; }\n"
         "table { border-collapse: collapse; width: 100%; }\n"
         "th, td { text-align: left; vertical-align: top; padding: .45em .8em .45em 0; "
         "border-bottom: 1px solid #ccc; }\n"
         "th { font-weight: normal; width: 40%; }\n"
         "td { font-weight: bold; }\n"
         "p { font-size: .85em; margin-top: 2em; }\n"
         "@page { size: A4; margin: 20mm; }\n"
         "@media print { body { margin: 0; max-width: none; } tr { break-inside: avoid; } }\n"
         "</style>\n</head>\n<body>\n<h1>" +
         t.title + ": " + name + "</h1>\n<table>\n" + rows + "</table>\n<p>" + t.footer +
         "</p>\n</body>\n</html>\n";
}

}  // namespace orvenda
