// The one reading of the computer's clock the program makes, behind a seam for tests.
#pragma once

#include <ctime>

namespace orvenda {

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
