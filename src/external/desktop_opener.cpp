// Starting the opener: a detached grandchild in its own session with its output on
// /dev/null, or a child in this terminal that the program waits for.
#include "external/desktop_opener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "console/console_screen.h"
#include "platform/file_system.h"

namespace orvenda {
namespace {

bool isLink(std::string_view target) {
  const auto colon = target.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;  // "C:" is no scheme
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-' || c == '.'))
      return false;
  }
  return true;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::vector<std::string> words(std::string_view s) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
    if (j > i) out.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

bool set(const OpenEnvironment& env, const char* name) {
  const char* v = env.getenv(name);
  return v != nullptr && *v != '\0';
}

bool programOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view rest = path;
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return true;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return false;
}

// Restores what the program changed about signals, then runs argv; never returns.
[[noreturn]] void execPlan(const std::vector<std::string>& argv) {
  for (int sig : {SIGINT, SIGQUIT, SIGPIPE, SIGTTOU, SIGTSTP, SIGCONT, SIGWINCH, SIGTERM, SIGHUP}) {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
  }
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

void onStdio(int fd) {
  for (int target = 0; target < 3; ++target) ::dup2(fd, target);
  if (fd > 2) ::close(fd);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

OpenPlan planOpen(std::string_view target, const OpenEnvironment& env) {
  OpenPlan plan;
  if (target.empty()) return plan;
  const bool link = isLink(target);
  const std::string what = link ? std::string(target) : env.workDir + "/" + platformPath(target);
  const bool graphical = set(env, "DISPLAY") || set(env, "WAYLAND_DISPLAY");
  if (graphical) {
    if (env.onPath("xdg-open")) plan = {OpenPlan::Kind::Detached, {"xdg-open", what}};
    return plan;
  }
  // No desktop: notes in an editor, pages in a text browser, in this terminal.
  if (!link && endsWith(target, ".txt")) {
    std::vector<std::string> editor;
    if (set(env, "VISUAL"))
      editor = words(env.getenv("VISUAL"));
    else if (set(env, "EDITOR"))
      editor = words(env.getenv("EDITOR"));
    else if (env.onPath("nano"))
      editor = {"nano"};
    else if (env.onPath("vi"))
      editor = {"vi"};
    if (editor.empty()) return plan;
    editor.push_back(what);
    return {OpenPlan::Kind::InTerminal, editor};
  }
  if (link && target.substr(0, 7) == "mailto:") return plan;
  std::vector<std::string> browser;
  if (set(env, "BROWSER")) {
    const std::string first(std::string_view(env.getenv("BROWSER"))
                                .substr(0, std::string_view(env.getenv("BROWSER")).find(':')));
    browser = words(first);
  } else {
    for (const char* b : {"w3m", "lynx", "elinks", "links"}) {
      if (env.onPath(b)) {
        browser = {b};
        break;
      }
    }
  }
  if (browser.empty()) return plan;
  browser.push_back(what);
  return {OpenPlan::Kind::InTerminal, browser};
}

std::unique_ptr<Opener> createOpener(ConsoleScreen& console) {
  return std::make_unique<DesktopOpener>(console);
}

DesktopOpener::DesktopOpener(ConsoleScreen& console) : console_(console) {
  env_.getenv = [](const char* name) { return static_cast<const char*>(std::getenv(name)); };
  env_.onPath = programOnPath;
  std::error_code ec;
  env_.workDir = std::filesystem::current_path(ec).string();
}

int DesktopOpener::open(std::string_view target) {
  const OpenPlan plan = planOpen(target, env_);
  switch (plan.kind) {
    case OpenPlan::Kind::Nothing: return 1;
    case OpenPlan::Kind::Detached: {
      // Child and grandchild: the opener runs on in a session of its own, so it outlives
      // the program and nothing it prints reaches the screen.
      const pid_t child = ::fork();
      if (child < 0) return -1;
      if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
          const int devnull = ::open("/dev/null", O_RDWR);
          if (devnull >= 0) onStdio(devnull);
          execPlan(plan.argv);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
      }
      return waitFor(child);
    }
    case OpenPlan::Kind::InTerminal: {
      console_.suspend();
      const pid_t child = ::fork();
      if (child == 0) {
        const int tty = ::open("/dev/tty", O_RDWR);
        if (tty >= 0) onStdio(tty);
        execPlan(plan.argv);
      }
      const int rc = child < 0 ? -1 : waitFor(child);
      console_.resume();
      return rc;
    }
  }
  return 1;
}

}  // namespace orvenda
