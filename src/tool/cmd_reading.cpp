// orvenda-chart reading: the natal reading that R adds to the sheet, as text or JSON; and
// orvenda-chart texts check: what an interpretation set gets wrong, with file and line.
#include <iostream>
#include <nlohmann/json.hpp>

#include "natal/ephemeris.h"
#include "sheet/reading.h"
#include "tool/saved_chart.h"

namespace orvenda::tool {
namespace {

// In the order a reader expects, chapter by chapter, not sorted by name.
nlohmann::ordered_json asJson(const std::string& name, const reading::Reading& r, bool timeKnown) {
  using json = nlohmann::ordered_json;
  auto shownKeys = [](const std::vector<std::string>& keys) {
    json out = json::array();
    for (const auto& k : keys) out.push_back(reading::displayKey(k));
    return out;
  };
  json chapters = json::array();
  for (const auto& ch : r.chapters) {
    json entries = json::array();
    for (const auto& e : ch.entries) {
      json parts = json::array();
      for (const auto& p : e.parts)
        parts.push_back({{"keys", shownKeys(p.keys)}, {"lead", p.lead}, {"text", p.text}});
      entries.push_back({{"heading", e.heading}, {"parts", parts}});
    }
    chapters.push_back(
        {{"id", ch.id}, {"title", ch.title}, {"lines", ch.lines}, {"entries", entries}});
  }
  return {{"chart", name},
          {"language", reading::languageFolder(r.greek)},
          {"time_known", timeKnown},
          {"title", r.title},
          {"note", r.timeNote.empty() ? json() : json(r.timeNote)},
          {"chapters", chapters},
          {"missing", shownKeys(r.missing)}};
}

}  // namespace

int noShippedTexts(Tool& t, bool greek) {
  return t.fail("no reading: no texts in " + reading::shippedTextsFolder() + "/" +
                reading::languageFolder(greek) +
                " (the shipped set; set ORVENDA_TEXTS to the folder of en/ and el/)");
}

std::optional<std::int32_t> sexOption(Tool& t, const Options& o, const char* command) {
  const std::string* sex = o.value("--sex");
  if (!sex) return 0;
  if (*sex == "man" || *sex == "male" || *sex == "m") return 1;
  if (*sex == "woman" || *sex == "female" || *sex == "f" || *sex == "w") return 2;
  t.usage(command, "--sex takes man or woman, not '" + *sex + "'");
  return std::nullopt;
}

int cmdReading(Tool& t, const Options& o) {
  const auto sex = sexOption(t, o, "reading");
  if (!sex) return 2;
  int status = 0;
  const auto saved = loadSavedChart(t, o, "reading", status);
  if (!saved) return status;
  const auto chart = chartOf(t, *saved);
  if (!chart) return 1;
  const std::string name = shownName(saved->name);
  for (const std::string& note : ephemerisNotes(*chart)) t.note(note);
  const bool greek = saved->horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  if (!reading::shippedFound(texts)) return noShippedTexts(t, greek);
  const reading::Reading r = reading::composeReading(
      *chart, {saved->config.zodiacRulersAlways, saved->config.changeRulers, *sex}, texts, greek);
  // In the tool's own language on standard error; the reading keeps its own for the page.
  for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
  if (o.has("--json"))
    t.out << asJson(name, r, saved->timeKnown).dump(2) << "\n";
  else
    t.out << reading::readingText(r);
  return 0;
}

int cmdTexts(Tool& t, const Options& o) {
  if (o.operands.empty() || o.operands[0] != "check")
    return t.usage("texts", o.operands.empty() ? "which? (check)"
                                               : "'" + o.operands[0] + "' is not a texts command");
  if (o.operands.size() > 2) return t.usage("texts", "too many operands");
  std::vector<bool> languages = {false, true};
  if (o.operands.size() == 2) {
    const std::string& l = o.operands[1];
    if (l == "en" || l == "english")
      languages = {false};
    else if (l == "el" || l == "greek")
      languages = {true};
    else
      return t.usage("texts", "'" + l + "' is not a language (en or el)");
  }
  int problems = 0;
  for (const bool greek : languages) {
    const reading::TextSet set = reading::textSet(*t.files, greek);
    const char* folder = reading::languageFolder(greek);
    if (!set.shippedFound()) {
      t.out << reading::shippedTextsFolder() << "/" << folder
            << ": no shipped texts (set ORVENDA_TEXTS to the folder of en/ and el/)\n";
      ++problems;
    }
    for (const reading::TextLayer* layer : {set.shipped(), &set.own()})
      for (const auto& p : layer->problems) {
        t.out << p.file << ":" << p.line << ": " << p.what << "\n";
        ++problems;
      }
    std::vector<std::string> missing;
    for (const auto& key : reading::requiredKeys())
      if (!set.find(key)) missing.push_back(reading::displayKey(key));
    if (!missing.empty()) {
      t.out << folder << ": " << missing.size() << (missing.size() == 1 ? " key has" : " keys have")
            << " no text:\n";
      for (const auto& k : missing) t.out << "  [" << k << "]\n";
      problems += static_cast<int>(missing.size());
    }
    const std::size_t own = set.own().entries.size();
    t.err << folder << ": " << reading::requiredKeys().size() - missing.size() << " of "
          << reading::requiredKeys().size() << " keys have a text; READING/" << folder << " holds "
          << own << (own == 1 ? " entry" : " entries") << " of its own\n";
  }
  return problems == 0 ? 0 : 1;
}

}  // namespace orvenda::tool
