// Sets the time zone for one test and puts the previous one back.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace orvenda::testing {

class ScopedZone {
 public:
  explicit ScopedZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setProcessTimeZone(tz);
  }
  ~ScopedZone() { setProcessTimeZone(old_ ? old_->c_str() : nullptr); }
  ScopedZone(const ScopedZone&) = delete;
  ScopedZone& operator=(const ScopedZone&) = delete;

 private:
  std::optional<std::string> old_;
};

}  // namespace orvenda::testing
