// The main screen: the record strip, the settings, the menu, and its key table.
#pragma once

#include <optional>

#include "core/navigator.h"

namespace orvenda {

class App;

class MainScreen final : public Frame {
 public:
  explicit MainScreen(App& app) : app_(app) {}

  // First run: the six settings, the console painted, the whole screen drawn, then the
  // key loop. Later runs (a screen it entered gave control back) go on with the loop.
  Step run() override;

  void drawMainScreen();
  // Everything below the record's strip: the menus, the settings' labels, the footer.
  void drawMenus();
  void refreshLowerPart();

 private:
  // nullopt: refresh and read the next key.
  std::optional<Step> command(int code);
  std::optional<Step> enter(FramePtr frame);
  std::optional<Step> enterAnew();
  std::optional<Step> storeSetting(int setting, std::int32_t value, bool anew);
  void drawRecordStrip();
  void showGenderMessage();

  App& app_;
  bool entered_ = false;
};

}  // namespace orvenda
