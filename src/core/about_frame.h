// The About screen as a screen of the navigator.
#pragma once

#include "core/navigator.h"
#include "external/about_screen.h"

namespace orvenda {

class App;

class AboutFrame final : public Frame {
 public:
  AboutFrame(App& app, int language);
  // First run: draws the screen. Each run reads keys until Escape, then enters the main
  // screen anew without reloading the record; if that screen gives control back, the
  // About screen reads keys again without drawing itself.
  Step run() override;

 private:
  App& app_;
  AboutScreen screen_;
  bool drawn_ = false;
};

}  // namespace orvenda
