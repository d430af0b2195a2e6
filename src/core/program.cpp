// Start-up: the default record, the default place, the clock, the console colours, the
// chart "untitled", and the first main screen; and where control goes if it comes back.
#include "core/program.h"

#include <memory>

#include "birth/chart_for_now.h"
#include "console/console_screen.h"
#include "core/about_frame.h"
#include "core/config_frame.h"
#include "platform/clock.h"

namespace orvenda {
namespace {

class StartUp final : public Frame {
 public:
  enum class From { Beginning, ReloadStep };
  StartUp(App& app, From from) : app_(app), step_(from == From::Beginning ? 1 : 7) {}

  Step run() override {
    if (step_ == 1) {
      app_.record = defaultBirthRecord;
      if (!app_.settings.readDefaultPlace(app_.state.defaultPlace)) {
        // The console still has the colours it had when the program started.
        ConsoleScreen& con = app_.console;
        con.writeText(kCantOpenMessage);
        con.readKey();
        con.clearWindow();
        app_.end(kExitFailure);
      }
      const auto& p = app_.state.defaultPlace;
      app_.record.lonDegrees = p[0];
      app_.record.lonMinutes = p[1];
      app_.record.lonSeconds = p[2];
      app_.record.latDegrees = p[3];
      app_.record.latMinutes = p[4];
      app_.record.latSeconds = p[5];
      chartForNow(app_.record, app_.clock.now());
      app_.applyScreenColours();
      step_ = 7;
      if (FramePtr main = app_.saveUntitled()) return Step::enter(std::move(main));
    }
    if (step_ == 7) {
      // Back here only when the first main screen could not be shown or was left after a
      // settings file failed: the chart "untitled" is shown as it is stored.
      step_ = 8;
      if (FramePtr main = app_.loadAndShow()) return Step::enter(std::move(main));
    }
    return Step::end();  // step 8: the program ends
  }

 private:
  App& app_;
  int step_;
};

}  // namespace

void connectScreens(App& app) {
  app.aboutScreen = [](App& a) -> FramePtr {
    return std::make_unique<AboutFrame>(a, a.state.programLanguage);
  };
  app.aspectScreen = [](App& a) -> FramePtr {
    return std::make_unique<ConfigFrame>(a, ConfigKind::Aspects);
  };
  app.planetScreen = [](App& a) -> FramePtr {
    return std::make_unique<ConfigFrame>(a, ConfigKind::Planets);
  };
}

int runProgram(App& app) {
  connectScreens(app);
  Navigator navigator(
      [&app]() -> FramePtr { return std::make_unique<StartUp>(app, StartUp::From::ReloadStep); });
  navigator.run(std::make_unique<StartUp>(app, StartUp::From::Beginning));
  return kExitFailure;
}

}  // namespace orvenda
