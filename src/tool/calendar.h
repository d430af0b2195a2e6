// The astrologer's calendar: iCalendar components made and written by libical. The library
// is loaded when a command first writes a calendar, not when the tool starts: it brings
// the ICU libraries with it, and binding them at start-up cost every command (a chart as
// JSON) more than twice the time of its own work.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace orvenda::tool {

struct CalendarEvent {
  std::string uid;
  long long stamp = 0;               // universal seconds: when the event was written
  long long start = 0;               // universal seconds
  std::optional<long long> end;      // universal seconds; an instant has none
  std::string summary, description;  // plain text; libical escapes and folds it
  std::string categories;
};

class Calendar {
 public:
  // libical loaded, or nothing with the reason (the library's file and what the loader
  // said). ORVENDA_LIBICAL names another file of the library.
  static std::unique_ptr<Calendar> open(std::string& why);
  ~Calendar();
  Calendar(const Calendar&) = delete;
  Calendar& operator=(const Calendar&) = delete;

  // The calendar's own lines, split where its events go: everything before
  // "END:VCALENDAR", and that line.
  struct Frame {
    std::string head, tail;
  };
  Frame frame(const std::string& productId) const;
  // One VEVENT, transparent (it takes no time in the astrologer's day).
  std::string event(const CalendarEvent& e) const;

  struct Library;

 private:
  explicit Calendar(std::unique_ptr<Library> library);
  std::unique_ptr<Library> library_;
};

// A text as a calendar's value holds it: backslashes, semicolons, commas and line breaks
// escaped.
std::string escapedText(const std::string& text);
// A calendar's line folded after 75 octets, never within a UTF-8 character, ended by CRLF.
std::string folded(const std::string& line);
// A UID from what the event is (FNV-1a of `what`, the chart and everything that tells the
// event from another), so that a newer file updates an older one: "<hash>-<kind>@orvenda.org".
std::string eventUid(const std::string& what, const std::string& kind);

}  // namespace orvenda::tool
