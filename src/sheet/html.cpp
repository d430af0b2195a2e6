// The pages' shared pieces. The PDF comes from a program of the system, found at run time:
// the sheet and the reports are made for paper by their own styles, and either engine
// lays them out as they are written.
#include "sheet/html.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;
#endif

namespace orvenda::html {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string svgImage(const std::string& svg, const std::string& alt, const std::string& cssClass) {
  std::string uri;
  uri.reserve(svg.size() + 256);
  for (char ch : svg) {
    switch (ch) {
      case '#': uri += "%23"; break;
      case '%': uri += "%25"; break;
      case '"': uri += "%22"; break;
      case '&': uri += "&amp;"; break;
      default: uri += ch;
    }
  }
  return "<img class=\"" + cssClass + "\" alt=\"" + escaped(alt) +
         "\" src=\"data:image/svg+xml;charset=utf-8," + uri + "\">\n";
}

std::string pageFootStyle(const std::string& chartName, const std::string& margins) {
  // A name is quoted into CSS: its quotes and backslashes escaped.
  std::string quoted;
  for (char c : chartName) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '\n' || c == '\r') continue;
    quoted += c;
  }
  return "@page { size: A4; margin: " + margins + "; @bottom-left { content: \"" + quoted +
         "\"; font-size: 8pt; } @bottom-right { content: counter(page) \" / \" counter(pages); "
         "font-size: 8pt; } }\n";
}

namespace {

const char* kNoEngine =
    "no program here turns a page into PDF; install WeasyPrint (apt install weasyprint) or "
    "Chromium (apt install chromium), or write the page with --html and print it from a browser";

#ifndef _WIN32
namespace fs = std::filesystem;

// A program on the PATH, or nothing.
std::optional<std::string> onPath(const std::string& name) {
  if (name.find('/') != std::string::npos)
    return ::access(name.c_str(), X_OK) == 0 ? std::optional<std::string>(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string dir = dirs.substr(start, end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

// Runs a program with its arguments (no shell), its output to a log file, for at most
// `seconds`; its exit status, or −1.
int run(const std::vector<std::string>& argv, const std::string& log, int seconds) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string lastLine(const std::string& file) {
  std::ifstream in(file);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last;
}

// WeasyPrint draws U+FE0E (the text form of a sign's symbol) in an SVG image's text as a
// dotted circle after the sign, where its pages' own text reads it right: the wheels go to
// it without.
std::string withoutTextFormInImages(const std::string& html) {
  static const std::string kImage = "data:image/svg+xml", kTextForm = "\xEF\xB8\x8E";
  std::string out;
  std::size_t at = 0;
  for (std::size_t start; (start = html.find(kImage, at)) != std::string::npos;) {
    const std::size_t end = std::min(html.find('"', start), html.size());
    out.append(html, at, start - at);
    for (std::size_t i = start; i < end; ++i)
      if (html.compare(i, kTextForm.size(), kTextForm) == 0)
        i += kTextForm.size() - 1;
      else
        out += html[i];
    at = end;
  }
  return out.append(html, at);
}
#endif

}  // namespace

#ifdef _WIN32
Pdf pdfOf(const std::string&) { return {std::nullopt, kNoEngine}; }
#else
Pdf pdfOf(const std::string& html) {
  // The engine: ORVENDA_PDF names one (a program, "weasyprint" or "chromium"); else the
  // first of these found.
  std::vector<std::string> candidates = {"weasyprint", "chromium", "chromium-browser",
                                         "google-chrome"};
  if (const char* chosen = std::getenv("ORVENDA_PDF"); chosen && *chosen) candidates = {chosen};
  std::optional<std::string> engine;
  for (const auto& c : candidates)
    if ((engine = onPath(c))) break;
  if (!engine) return {std::nullopt, kNoEngine};
  // The page and the engine's work in a folder of their own, gone afterwards.
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvenda-pdf-XXXXXX";
  if (!::mkdtemp(pattern.data()))
    return {std::nullopt,
            "no temporary folder for the engine in " + fs::path(pattern).parent_path().string()};
  const std::string dir = pattern;
  const std::string page = dir + "/page.html", pdf = dir + "/page.pdf", log = dir + "/engine.log";
  const bool weasy = fs::path(*engine).filename().string().find("weasyprint") != std::string::npos;
  bool ok = false;
  {
    std::ofstream out(page, std::ios::binary);
    out << (weasy ? withoutTextFormInImages(html) : html);
    ok = static_cast<bool>(out);
  }
  int status = -1;
  if (ok) {
    if (weasy)
      status = run({*engine, page, pdf}, log, 120);
    else
      status =
          run({*engine, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--user-data-dir=" + dir + "/profile", "--no-pdf-header-footer",
               "--print-to-pdf=" + pdf, "file://" + page},
              log, 120);
  }
  std::string bytes;
  {
    std::ifstream in(pdf, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
  }
  const std::string said = lastLine(log);
  std::error_code ec;
  fs::remove_all(dir, ec);
  if (status != 0 || !bytes.starts_with("%PDF"))
    return {std::nullopt, fs::path(*engine).filename().string() +
                              (status < 0 ? " did not finish" : " failed") +
                              (said.empty() ? "" : " (" + said + ")") + "; it is as it was"};
  return {std::move(bytes), ""};
}
#endif

const char* periodPageStyle() {
  return "body { font-family: \"DejaVu Serif\", Georgia, serif; margin: 1.5em auto; max-width: "
         "62em; "
         "padding: 0 1em; color: #000; background: #fff; line-height: 1.4; }\n"
         "h1 { font-size: 1.5em; margin: 0 0 .4em; border-bottom: 1px solid #000; }\n"
         "h2 { font-size: 1.2em; margin: 1.4em 0 .5em; }\n"
         "h3 { font-size: 1em; margin: 1em 0 .3em; }\n"
         "p { margin: 0 0 .5em; }\n.meta { margin: 0; }\n.method { font-size: .92em; margin: .6em "
         "0 0; "
         "}\n"
         "figure { margin: 1em 0; } figcaption { font-size: .9em; font-style: italic; }\n"
         ".timeline { display: block; width: 100%; height: auto; }\n"
         ".scroll { overflow-x: auto; }\n"
         "table { border-collapse: collapse; margin: 0 0 .6em; }\n"
         "th, td { text-align: left; padding: .1em .7em .1em 0; border-bottom: 1px solid #eee; "
         "vertical-align: top; }\n"
         "th { font-weight: bold; font-size: .9em; }\n"
         ".num { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums; }\n"
         ".date { white-space: nowrap; font-variant-numeric: tabular-nums; }\n"
         "tr.now td { font-weight: bold; }\n"
         ".glyph { font-family: \"DejaVu Sans\", sans-serif; padding-right: .3em; }\n"
         "td.now { font-weight: bold; }\n"
         ".note { font-style: italic; }\np.footer { font-size: .8em; margin-top: 2em; }\n"
         ".reading { max-width: 44em; margin-top: 2.5em; line-height: 1.45; }\n"
         ".reading h2 { font-size: 1.3em; border-bottom: 1px solid #000; }\n"
         ".reading h3 { font-size: 1.15em; margin: 1.4em 0 .3em; }\n"
         ".reading h4 { font-size: 1em; margin: 1em 0 .2em; }\n"
         ".reading p { margin: 0 0 .45em; }\n"
         "@media print { body { margin: 0; padding: 0; max-width: none; font-size: 9pt; } "
         "h1 { font-size: 14pt; } h2 { font-size: 11pt; } h2, h3 { break-after: avoid; } "
         "figure, tr, .block { break-inside: avoid; } .scroll { overflow: visible; } "
         "thead { display: table-header-group; } "
         ".reading { break-before: page; } .reading .keep, .reading .opening { break-inside: "
         "avoid; } "
         "p { orphans: 3; widows: 3; } }\n";
}

}  // namespace orvenda::html
