// How the configuration screens hand over to the main screen and come back.
#include "core/config_frame.h"

#include "core/app.h"

namespace orvenda {

ConfigFrame::ConfigFrame(App& app, ConfigKind kind)
    : app_(app), screen_(kind, app.console, app.settings, app.state.programLanguage, [&app] {
        app.parkCursor();
      }) {}

Step ConfigFrame::run() {
  if (!opened_) {
    opened_ = true;
    if (!screen_.open()) return Step::end();  // back to the main screen's key loop
  }
  if (screen_.run() == ConfigScreen::Outcome::Failed) return Step::end();
  return Step::enter(app_.enterMainScreen());
}

}  // namespace orvenda
