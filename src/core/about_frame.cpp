// How the About screen hands over to the main screen and comes back.
#include "core/about_frame.h"

#include "core/app.h"

namespace orvenda {

AboutFrame::AboutFrame(App& app, int language)
    : app_(app), screen_(language, app.console, app.shell, [&app] { app.parkCursor(); }) {}

Step AboutFrame::run() {
  if (!drawn_) {
    drawn_ = true;
    screen_.draw();
  }
  screen_.runUntilEscape();
  return Step::enter(app_.enterMainScreen());
}

}  // namespace orvenda
