// What the desktop opener runs in each environment: the desktop's opener detached, an
// editor or a text browser in the terminal, or nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "external/desktop_opener.h"

namespace orvenda {
namespace {

struct Env {
  std::map<std::string, std::string> vars;
  std::vector<std::string> programs;
  OpenEnvironment make() const {
    OpenEnvironment e;
    e.getenv = [this](const char* n) -> const char* {
      auto it = vars.find(n);
      return it == vars.end() ? nullptr : it->second.c_str();
    };
    e.onPath = [this](const std::string& p) {
      return std::find(programs.begin(), programs.end(), p) != programs.end();
    };
    e.workDir = "/home/a/charts";
    return e;
  }
};

using Argv = std::vector<std::string>;

TEST(OpenPlan, DesktopOpensFilesAndLinksDetachedAsOneArgument) {
  Env env{{{"DISPLAY", ":0"}}, {"xdg-open", "nano"}};
  auto plan = planOpen("NAMES\\my chart.txt", env.make());
  EXPECT_EQ(plan.kind, OpenPlan::Kind::Detached);
  EXPECT_EQ(plan.argv, (Argv{"xdg-open", "/home/a/charts/NAMES/my chart.txt"}));
  plan = planOpen("NAMES\\\x82\xA0\xE9\xA8\x9A\xA6\xAA.txt", env.make());
  EXPECT_EQ(plan.argv[1], "/home/a/charts/NAMES/Γιώργος.txt");
  plan = planOpen("https://orvenda.example/index.pl?action=contact", env.make());
  EXPECT_EQ(plan.argv, (Argv{"xdg-open", "https://orvenda.example/index.pl?action=contact"}));
  plan = planOpen("$(reboot)`x`;|&", env.make());
  EXPECT_EQ(plan.argv, (Argv{"xdg-open", "/home/a/charts/$(reboot)`x`;|&"}));
  Env wayland{{{"WAYLAND_DISPLAY", "wayland-0"}}, {}};
  EXPECT_EQ(planOpen("help.htm", wayland.make()).kind, OpenPlan::Kind::Nothing)
      << "no opener installed: nothing, silently";
}

TEST(OpenPlan, WithoutADesktopNotesOpenInTheUsersEditor) {
  Env env{{{"EDITOR", "emacs -nw"}}, {"nano", "vi"}};
  auto plan = planOpen("NAMES\\untitled.txt", env.make());
  EXPECT_EQ(plan.kind, OpenPlan::Kind::InTerminal);
  EXPECT_EQ(plan.argv, (Argv{"emacs", "-nw", "/home/a/charts/NAMES/untitled.txt"}));
  env.vars["VISUAL"] = "vim";
  EXPECT_EQ(planOpen("NAMES\\a.txt", env.make()).argv[0], "vim");
  Env bare{{}, {"vi"}};
  EXPECT_EQ(planOpen("NAMES\\a.txt", bare.make()).argv[0], "vi");
  Env none{{}, {}};
  EXPECT_EQ(planOpen("NAMES\\a.txt", none.make()).kind, OpenPlan::Kind::Nothing);
}

TEST(OpenPlan, WithoutADesktopPagesOpenInATextBrowserAndMailNowhere) {
  Env env{{}, {"lynx", "w3m"}};
  auto plan = planOpen("help-en.htm", env.make());
  EXPECT_EQ(plan.kind, OpenPlan::Kind::InTerminal);
  EXPECT_EQ(plan.argv, (Argv{"w3m", "/home/a/charts/help-en.htm"}));
  env.vars["BROWSER"] = "links:lynx";
  EXPECT_EQ(planOpen("PRINT/bush.html", env.make()).argv,
            (Argv{"links", "/home/a/charts/PRINT/bush.html"}));
  EXPECT_EQ(planOpen("mailto:a@b?subject=Orvenda", env.make()).kind, OpenPlan::Kind::Nothing);
  Env none{{}, {}};
  EXPECT_EQ(planOpen("help-en.htm", none.make()).kind, OpenPlan::Kind::Nothing);
}

}  // namespace
}  // namespace orvenda
