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

}  // namespace orvenda::tool
