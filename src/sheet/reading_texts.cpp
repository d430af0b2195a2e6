// The interpretation sets: their keys, their file format, and where they are found.
#include "sheet/reading_texts.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "natal/names.h"
#include "natal/natal_chart.h"
#include "platform/file_system.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvenda::reading {
namespace {

// ---- keys -----------------------------------------------------------------------------------

constexpr const char* kElements[] = {"Fire", "Earth", "Air", "Water"};
constexpr const char* kModalities[] = {"Cardinal", "Fixed", "Mutable"};
constexpr const char* kPatterns[] = {"stellium in a sign", "stellium in a house", "grand trine",
                                     "T-square",           "grand cross",         "yod"};
constexpr const char* kHemispheres[] = {"upper hemisphere", "lower hemisphere",
                                        "eastern hemisphere", "western hemisphere"};
constexpr const char* kNatures[] = {"conjunction", "harmonious", "challenging"};
// The points the shipped sets write about in signs and houses, in the table's order.
constexpr int kWrittenPoints[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 10};

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Spaces collapsed to one, none at either end, letters in lower case.
std::string normalizedKey(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return lower(out);
}

struct Vocabulary {
  std::unordered_map<std::string, std::string> canonical;  // any spelling → canonical
  std::unordered_map<std::string, std::string> shown;      // canonical → as files spell it
  std::vector<std::string> required;

  void add(const std::string& display, const std::string& alias = "") {
    const std::string key = normalizedKey(display);
    canonical.emplace(key, key);
    shown.emplace(key, display);
    if (!alias.empty()) canonical.emplace(normalizedKey(alias), key);
  }

  Vocabulary() {
    const auto point = [](int i) { return natal::pointName(i, false); };
    const auto sign = [](int s) { return natal::signName(s, false); };
    const auto house = [](int h) { return "house " + std::to_string(h); };
    for (int p = 0; p < natal::kPoints; ++p)
      for (int s = 0; s < 12; ++s) add(point(p) + " in " + sign(s));
    for (int p = 0; p < natal::kPoints; ++p)
      for (int h = 1; h <= 12; ++h) add(point(p) + " in " + house(h));
    std::vector<std::string> words(std::begin(kNatures), std::end(kNatures));
    for (int k = 0; k < natal::kAspects; ++k) words.push_back(lower(natal::aspectName(k, false)));
    for (int a = 0; a < natal::kPoints; ++a)
      for (int b = a + 1; b < natal::kPoints; ++b)
        for (const auto& w : words)
          add(point(a) + " " + w + " " + point(b), point(b) + " " + w + " " + point(a));
    for (int k = 0; k < natal::kAspects; ++k) add(natal::aspectName(k, false));
    for (int h = 1; h <= 12; ++h) add(house(h)), add("ruler of " + house(h));
    for (const char* e : kElements) add(e);
    for (const char* m : kModalities) add(m);
    for (const char* p : kPatterns) add(p);
    for (const char* h : kHemispheres) add(h);

    auto require = [&](const std::string& display) { required.push_back(normalizedKey(display)); };
    for (int p : kWrittenPoints)
      for (int s = 0; s < 12; ++s) require(point(p) + " in " + sign(s));
    for (int p : {natal::kAscendant, natal::kMidheaven})
      for (int s = 0; s < 12; ++s) require(point(p) + " in " + sign(s));
    for (int p : kWrittenPoints)
      for (int h = 1; h <= 12; ++h) require(point(p) + " in " + house(h));
    for (int a = 0; a < 10; ++a)
      for (int b = a + 1; b < 10; ++b)
        for (const char* n : kNatures) require(point(a) + " " + n + " " + point(b));
    for (int k = 5; k < natal::kAspects; ++k) require(natal::aspectName(k, false));
    for (int h = 1; h <= 12; ++h) require(house(h));
    for (int h = 1; h <= 12; ++h) require("ruler of " + house(h));
    for (const char* e : kElements) require(e);
    for (const char* m : kModalities) require(m);
    for (const char* p : kPatterns) require(p);
  }
};

const Vocabulary& vocabulary() {
  static const Vocabulary v;
  return v;
}

// ---- the file format ----------------------------------------------------------------------

bool validUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80                 ? 0
                          : c >= 0xC2 && c <= 0xDF ? 1
                          : c >= 0xE0 && c <= 0xEF ? 2
                          : c >= 0xF0 && c <= 0xF4 ? 3
                                                   : 9;
    if (n > s.size() - i - 1) return false;
    for (std::size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

// What is wrong with a text's {man's word|woman's word} choices, if anything.
std::string choiceProblem(std::string_view text) {
  bool inChoice = false, bar = false;
  for (char c : text) {
    if (c == '{') {
      if (inChoice) return "has a { inside a {...|...} choice";
      inChoice = true, bar = false;
    } else if (c == '|') {
      if (!inChoice) return "has a | outside a {...|...} choice";
      if (bar) return "has a choice of more than two words {...|...|...}";
      bar = true;
    } else if (c == '}') {
      if (!inChoice) return "has a } that closes no {...|...} choice";
      if (!bar) return "has a choice without | between its two words";
      inChoice = false;
    }
  }
  return inChoice ? "has a {...|...} choice that is not closed" : "";
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::optional<std::string> readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string exeFolder() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  std::string s(path, n);
  const auto cut = s.find_last_of("\\/");
  return cut == std::string::npos ? "." : s.substr(0, cut);
#else
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  std::string s(exe, static_cast<std::size_t>(n));
  return s.substr(0, s.rfind('/'));
#endif
}

bool isFolder(const std::string& path) {
  std::ifstream probe(path + "/" + languageFolder(false) + "/" + kSetFiles[0]);
  return static_cast<bool>(probe);
}

}  // namespace

const char* languageFolder(bool greek) { return greek ? "el" : "en"; }

std::optional<std::string> canonicalKey(std::string_view key) {
  const auto& v = vocabulary();
  const auto found = v.canonical.find(normalizedKey(key));
  if (found == v.canonical.end()) return std::nullopt;
  return found->second;
}

const std::vector<std::string>& requiredKeys() { return vocabulary().required; }

std::string displayKey(const std::string& canonical) {
  const auto& v = vocabulary();
  const auto found = v.shown.find(canonical);
  return found == v.shown.end() ? canonical : found->second;
}

void parseTexts(std::string_view content, const std::string& fileShown, TextLayer& into) {
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);  // a byte-order mark
  into.filesRead.push_back(fileShown);
  auto problem = [&](int line, std::string what) {
    into.problems.push_back({fileShown, line, std::move(what)});
  };
  std::optional<std::string> key;  // the entry being read; nothing before the first
  int keyLine = 0;
  std::string text;
  bool paragraphBreak = false;
  auto finish = [&]() {
    if (!key) return;
    if (text.empty()) {
      problem(keyLine, "[" + displayKey(*key) + "] has no text");
    } else if (const std::string why = choiceProblem(text); !why.empty()) {
      problem(keyLine, "[" + displayKey(*key) + "] " + why);
    } else {
      const auto [at, fresh] =
          into.entries.insert_or_assign(*key, TextEntry{text, fileShown, keyLine});
      (void)at;
      if (!fresh)
        problem(keyLine, "[" + displayKey(*key) + "] is given more than once; this one counts");
    }
    key.reset();
    text.clear();
  };
  bool skipping = false;  // inside an entry whose key is not understood
  int number = 0;
  std::size_t start = 0;
  while (start <= content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view raw = content.substr(start, end - start);
    start = end + 1;
    ++number;
    if (end == content.size() && raw.empty()) break;
    const std::string_view line = trimmed(raw);
    if (!validUtf8(line)) {
      problem(number, "is not UTF-8 text (save the file as UTF-8)");
      continue;
    }
    if (line.starts_with('#')) continue;
    if (line.starts_with('[')) {
      finish();
      skipping = false;
      if (!line.ends_with(']')) {
        problem(number, "a key's line must end with ]");
        skipping = true;
        continue;
      }
      const std::string_view name = line.substr(1, line.size() - 2);
      if (auto k = canonicalKey(name)) {
        key = *k;
        keyLine = number;
        paragraphBreak = false;
      } else {
        problem(number, "unknown key [" + std::string(trimmed(name)) + "]");
        skipping = true;
      }
      continue;
    }
    if (line.empty()) {
      paragraphBreak = !text.empty();
      continue;
    }
    if (skipping) continue;
    if (!key) {
      problem(number, "text before the first [key]");
      skipping = true;
      continue;
    }
    if (!text.empty()) text += paragraphBreak ? "\n" : " ";
    text += line;
    paragraphBreak = false;
  }
  finish();
}

const std::string* TextSet::find(const std::string& key) const {
  if (const auto own = own_.entries.find(key); own != own_.entries.end()) return &own->second.text;
  if (shipped_)
    if (const auto s = shipped_->entries.find(key); s != shipped_->entries.end())
      return &s->second.text;
  return nullptr;
}

std::string shippedTextsFolder() {
  if (const char* env = std::getenv("ORVENDA_TEXTS"); env != nullptr && *env != '\0') return env;
  const std::string exe = exeFolder();
  for (const std::string& candidate : {exe + "/texts", exe + "/../share/orvenda/texts"})
    if (isFolder(candidate)) return candidate;
  return exe + "/texts";
}

const TextLayer& shippedTexts(bool greek) {
  static std::once_flag once[2];
  static TextLayer layers[2];
  const int i = greek ? 1 : 0;
  std::call_once(once[i], [&] {
    const std::string folder = shippedTextsFolder() + "/" + languageFolder(greek) + "/";
    for (const char* file : kSetFiles)
      if (const auto content = readWhole(folder + file))
        parseTexts(*content, folder + file, layers[i]);
  });
  return layers[i];
}

TextLayer ownTexts(FileSystem& files, bool greek) {
  // Larger than any set an astrologer writes by hand; a file past it is read in part.
  constexpr std::size_t kLargest = 8u << 20;
  TextLayer own;
  for (const char* file : kSetFiles) {
    const std::string logical = std::string("READING\\") + languageFolder(greek) + "\\" + file;
    if (const auto bytes = files.read(logical, kLargest))
      parseTexts(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                 std::string("READING/") + languageFolder(greek) + "/" + file, own);
  }
  return own;
}

TextSet textSet(FileSystem& workingDirectory, bool greek) {
  return TextSet(&shippedTexts(greek), ownTexts(workingDirectory, greek));
}

}  // namespace orvenda::reading
