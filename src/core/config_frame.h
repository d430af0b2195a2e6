// The aspect and planet screens as screens of the navigator.
#pragma once

#include "config/config_screen.h"
#include "core/navigator.h"

namespace orvenda {

class App;

class ConfigFrame final : public Frame {
 public:
  ConfigFrame(App& app, ConfigKind kind);
  // First run: loads and draws the screen (or reports and ends). Then the key loop; on
  // Escape or a save the main screen is entered anew without reloading the record, and
  // if that screen gives control back, the key loop carries on with the working copy.
  Step run() override;

 private:
  App& app_;
  ConfigScreen screen_;
  bool opened_ = false;
};

}  // namespace orvenda
