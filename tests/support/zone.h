// Sets the time zone for one test and puts the previous one back.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace orvenda::testing {

class ScopedZone {
 public:
  explicit ScopedZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~ScopedZone() {
    if (old_)
      ::setenv("TZ", old_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  ScopedZone(const ScopedZone&) = delete;
  ScopedZone& operator=(const ScopedZone&) = delete;

 private:
  std::optional<std::string> old_;
};

}  // namespace orvenda::testing
