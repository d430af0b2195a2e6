// orvenda-chart sheet: the print sheet that the program's R writes, for any saved chart.
#include <filesystem>
#include <iostream>

#include "natal/ephemeris.h"
#include "platform/posix_file_system.h"
#include "sheet/print_sheet.h"
#include "sheet/reading.h"
#include "tool/saved_chart.h"
#include "tool/time_options.h"

namespace orvenda::tool {

int cmdSheet(Tool& t, const Options& o) {
  const auto sex = sexOption(t, o, "sheet");
  if (!sex) return 2;
  int status = 0;
  const auto saved = loadSavedChart(t, o, "sheet", status);
  if (!saved) return status;
  SheetSettings state;
  state.chartName = saved->name;
  state.horoscopeLanguage = saved->horoscopeLanguage;
  state.sex = *sex;
  state.borderlineDegrees = saved->config.borderlineDegrees;
  state.zodiacRulersAlways = saved->config.zodiacRulersAlways;
  state.borderlineInterpretation = saved->config.borderlineInterpretation;
  state.changeRulers = saved->config.changeRulers;
  SheetChart chart;
  chart.byTool = true;
  state.timeMode = saved->timeKnown ? 0 : 1;
  if (saved->damagedSize)
    chart.damagedSize = saved->damagedSize;
  else
    chart.outcome = natal::computeChart(saved->record, saved->config, saved->houseSystem,
                                        natal::swissEphemeris(), saved->timeKnown);
  // A chart file that gives no chart gives no sheet either, as chart and reading refuse it:
  // nothing is written, and the status says so.
  if (const std::string why = refusalText(*saved, chart.outcome); !why.empty())
    return t.fail("NAMES/" + shownName(saved->name) + ": no chart: " + why + "; no sheet written");
  const bool greek = state.horoscopeLanguage == 1;
  const reading::TextSet texts = reading::textSet(*t.files, greek);
  if (o.value("--pdf") && o.value("-o"))
    return t.usage("sheet", "-o writes the page, --pdf a PDF: give one");
  // Without the shipped texts the sheet is the chart with a line where the reading would
  // be: written, as the program's R writes it, but not the sheet asked for, so the status
  // says it failed and standard error why, as reading does.
  const bool noTexts = !reading::shippedFound(texts);
  const int done = noTexts ? 1 : 0;
  auto sayNoTexts = [&] {
    if (noTexts)
      t.err << "orvenda-chart: the sheet has no reading: no texts in "
            << reading::shippedTextsFolder() << "/" << reading::languageFolder(greek)
            << " (the shipped set; set ORVENDA_TEXTS to the folder of en/ and el/)\n";
  };
  // In the tool's own language on standard error; the sheet says them in its own.
  for (const std::string& n : reading::ownTextNotes(texts, false)) t.note(n);
  const std::string sheet = printSheet(state, saved->record, chart, &texts);
  if (const std::string* pdf = o.value("--pdf")) {
    if (!writePdf(t, sheet, *pdf)) return 1;
    sayNoTexts();
    return done;
  }
  const std::string* file = o.value("-o");
  if (!file || *file == "-") {
    t.out << sheet;
    sayNoTexts();
    return done;
  }
  // Written whole beside its target and renamed over it, as the program writes its files.
  const std::filesystem::path path(*file);
  std::error_code ec;
  if (path.filename().empty() || std::filesystem::is_directory(path, ec))
    return t.fail("-o " + *file + " names a folder, not a file");
  PosixFileSystem files(path.has_parent_path() ? path.parent_path().string() : ".");
  if (!files.write(path.filename().string(),
                   std::span(reinterpret_cast<const std::uint8_t*>(sheet.data()), sheet.size())))
    return t.fail("can't write " + *file + ": " +
                  writeCauseAt(path, path.parent_path().string(), errno) + "; it is as it was");
  sayNoTexts();
  return done;
}

}  // namespace orvenda::tool
