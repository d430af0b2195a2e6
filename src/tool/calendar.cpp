// libical through the dynamic loader, bound function by function when a calendar is first
// written.
#include "tool/calendar.h"

#include <dlfcn.h>
#include <libical/ical.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace orvenda::tool {

struct Calendar::Library {
  void* handle = nullptr;
  decltype(&icalcomponent_new_vcalendar) newCalendar = nullptr;
  decltype(&icalcomponent_new_vevent) newEvent = nullptr;
  decltype(&icalcomponent_add_property) add = nullptr;
  decltype(&icalcomponent_as_ical_string_r) text = nullptr;
  decltype(&icalcomponent_free) freeComponent = nullptr;
  decltype(&icalproperty_new_version) version = nullptr;
  decltype(&icalproperty_new_prodid) productId = nullptr;
  decltype(&icalproperty_new_calscale) scale = nullptr;
  decltype(&icalproperty_new_uid) uid = nullptr;
  decltype(&icalproperty_new_dtstamp) stamp = nullptr;
  decltype(&icalproperty_new_dtstart) start = nullptr;
  decltype(&icalproperty_new_dtend) end = nullptr;
  decltype(&icalproperty_new_summary) summary = nullptr;
  decltype(&icalproperty_new_description) description = nullptr;
  decltype(&icalproperty_new_categories) categories = nullptr;
  decltype(&icalproperty_new_transp) transparency = nullptr;
  decltype(&icaltime_from_timet_with_zone) fromTime = nullptr;
  decltype(&icaltimezone_get_utc_timezone) utc = nullptr;

  ~Library() {
    if (handle) ::dlclose(handle);
  }
};

namespace {

template <typename F>
bool bind(void* handle, const char* name, F& to, std::string& missing) {
  to = reinterpret_cast<F>(::dlsym(handle, name));
  if (!to && missing.empty()) missing = name;
  return to != nullptr;
}

// A string libical made with its allocator (the C library's by default), as a std::string.
std::string taken(char* text) {
  std::string s = text ? text : "";
  std::free(text);
  return s;
}

}  // namespace

std::unique_ptr<Calendar> Calendar::open(std::string& why) {
  const char* given = std::getenv("ORVENDA_LIBICAL");
  const std::string file = given && *given ? given : ORVENDA_LIBICAL_SONAME;
  auto lib = std::make_unique<Library>();
  lib->handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib->handle) {
    const char* said = ::dlerror();
    why = "the calendar is written by libical, and " + file + " can't be loaded (" +
          (said ? said : "no reason given") + "; Debian's package libical3 has it)";
    return nullptr;
  }
  std::string missing;
  void* h = lib->handle;
  bind(h, "icalcomponent_new_vcalendar", lib->newCalendar, missing);
  bind(h, "icalcomponent_new_vevent", lib->newEvent, missing);
  bind(h, "icalcomponent_add_property", lib->add, missing);
  bind(h, "icalcomponent_as_ical_string_r", lib->text, missing);
  bind(h, "icalcomponent_free", lib->freeComponent, missing);
  bind(h, "icalproperty_new_version", lib->version, missing);
  bind(h, "icalproperty_new_prodid", lib->productId, missing);
  bind(h, "icalproperty_new_calscale", lib->scale, missing);
  bind(h, "icalproperty_new_uid", lib->uid, missing);
  bind(h, "icalproperty_new_dtstamp", lib->stamp, missing);
  bind(h, "icalproperty_new_dtstart", lib->start, missing);
  bind(h, "icalproperty_new_dtend", lib->end, missing);
  bind(h, "icalproperty_new_summary", lib->summary, missing);
  bind(h, "icalproperty_new_description", lib->description, missing);
  bind(h, "icalproperty_new_categories", lib->categories, missing);
  bind(h, "icalproperty_new_transp", lib->transparency, missing);
  bind(h, "icaltime_from_timet_with_zone", lib->fromTime, missing);
  bind(h, "icaltimezone_get_utc_timezone", lib->utc, missing);
  if (!missing.empty()) {
    why = "the calendar is written by libical, and " + file + " has no function " + missing +
          " (is it libical 3?)";
    return nullptr;
  }
  return std::unique_ptr<Calendar>(new Calendar(std::move(lib)));
}

Calendar::Calendar(std::unique_ptr<Library> library) : library_(std::move(library)) {}
Calendar::~Calendar() = default;

Calendar::Frame Calendar::frame(const std::string& productId) const {
  const Library& l = *library_;
  icalcomponent* cal = l.newCalendar();
  l.add(cal, l.version("2.0"));
  l.add(cal, l.productId(productId.c_str()));
  l.add(cal, l.scale("GREGORIAN"));
  const std::string s = taken(l.text(cal));
  l.freeComponent(cal);
  const auto end = s.find("END:VCALENDAR");
  return {s.substr(0, end), end == std::string::npos ? "" : s.substr(end)};
}

std::string Calendar::event(const CalendarEvent& e) const {
  const Library& l = *library_;
  auto utcTime = [&](long long seconds) {
    return l.fromTime(static_cast<time_t>(seconds), 0, l.utc());
  };
  icalcomponent* ev = l.newEvent();
  l.add(ev, l.uid(e.uid.c_str()));
  l.add(ev, l.stamp(utcTime(e.stamp)));
  l.add(ev, l.start(utcTime(e.start)));
  if (e.end) l.add(ev, l.end(utcTime(*e.end)));
  l.add(ev, l.summary(e.summary.c_str()));
  l.add(ev, l.description(e.description.c_str()));
  l.add(ev, l.categories(e.categories.c_str()));
  l.add(ev, l.transparency(ICAL_TRANSP_TRANSPARENT));
  const std::string s = taken(l.text(ev));
  l.freeComponent(ev);
  return s;
}

std::string escapedText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == ';' || c == ',') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

std::string folded(const std::string& line) {
  std::string out;
  std::size_t width = 0;
  for (std::size_t i = 0; i < line.size();) {
    const auto c = static_cast<unsigned char>(line[i]);
    const std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (width + n > 75) out += "\r\n ", width = 1;
    out.append(line, i, n);
    width += n;
    i += n;
  }
  return out + "\r\n";
}

std::string eventUid(const std::string& what, const std::string& kind) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : what) h = (h ^ c) * 1099511628211ull;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return std::string(buf) + "-" + kind + "@orvenda.org";
}

}  // namespace orvenda::tool
