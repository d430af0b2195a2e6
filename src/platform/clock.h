// The one reading of the computer's clock the program makes, behind a seam for tests.
#pragma once

#include <ctime>

namespace orvenda {

// The local and GMT broken-down readings of an instant, with the platform's zone rules.
void localReading(std::time_t instant, std::tm& out);
void gmtReading(std::time_t instant, std::tm& out);
// Sets the zone the readings use (a TZ value; null: the system's own). For tests.
void setProcessTimeZone(const char* zone);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::time_t now() = 0;
};

class SystemClock final : public Clock {
 public:
  std::time_t now() override { return std::time(nullptr); }
};

class FixedClock final : public Clock {
 public:
  explicit FixedClock(std::time_t t) : t_(t) {}
  std::time_t now() override { return t_; }
  void set(std::time_t t) { t_ = t; }

 private:
  std::time_t t_;
};

}  // namespace orvenda
