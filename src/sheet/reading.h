// The natal reading: the chart told in words, in the horoscope language, from an
// interpretation set. A pure function of the chart, the chart settings and the set; the
// print sheet, the tool's text and its JSON are three views of the one value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "natal/natal_chart.h"
#include "sheet/reading_texts.h"

namespace orvenda::reading {

// One paragraph of an entry: a lead in the program's own words (which factor, a leaning
// toward the next sign), then the set's text for its keys (composed from whole texts or
// whole sentences, never from inflected names).
struct Part {
  std::vector<std::string> keys;  // canonical
  std::string lead;
  std::string text;
};

struct Entry {
  std::string heading;
  std::vector<Part> parts;
};

struct Chapter {
  std::string id;  // "summary", "ascendant", "points", "aspects", "houses", "whole"
  std::string title;
  std::vector<std::string> lines;  // counts and summaries before the entries
  std::vector<Entry> entries;
};

struct Reading {
  bool greek = false;
  std::string title;
  std::string timeNote;            // with the time un-known: what is left out, and why
  std::vector<std::string> notes;  // what kept a text from the reading: a set not found, an
                                   // override that can't be used
  std::vector<Chapter> chapters;
  std::vector<std::string> missing;  // canonical keys without a text, in order of need
  std::string missingNote;           // "3 factors have no text in this set: …"
};

// The chart settings a reading follows, as the main screen shows them.
struct ReadingSettings {
  std::int32_t zodiacRulersAlways = 0;
  std::int32_t changeRulers = 0;
  // 1 a man, 2 a woman: a text's {man's word|woman's word} choices follow it; with 0 (not
  // chosen) the first, Greek's form for a person of either sex.
  std::int32_t sex = 0;
};

Reading composeReading(const natal::NatalChart& chart, const ReadingSettings& settings,
                       const TextSet& texts, bool greek);

// What keeps a working directory's own texts from a reading, one line each
// ("READING/en/signs.txt:3: [Moon in Leo] has no text; the shipped text is read instead").
std::vector<std::string> ownTextNotes(const TextSet& texts, bool greek);
// Whether the shipped set of a language was found (none found: no reading, said so).
bool shippedFound(const TextSet& texts);
// The line a sheet shows in place of the reading when the shipped set was not found.
std::string textsNotFoundNote(bool greek);

// The reading as HTML for the sheet (a section that begins on a page of its own).
std::string readingHtml(const Reading& reading);
// As plain text, wrapped at width columns.
std::string readingText(const Reading& reading, std::size_t width = 80);

// A text with each {first|second} choice made: the second for sex 2, else the first. A
// choice by number, {#one|several}, left to it is taken for several.
std::string withChoices(const std::string& text, std::int32_t sex);
// A text with each {#one|several} choice made by number: the first where the text speaks
// of one (one pair of points under an aspect's general sense), else the second. The
// choices by sex are left for withChoices.
std::string withNumber(const std::string& text, bool one);

// The first sentence of a text (a house's affairs, where another house's ruler stands).
std::string firstSentence(const std::string& text);

}  // namespace orvenda::reading
