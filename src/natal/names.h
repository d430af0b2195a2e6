// The chart's words in English and Greek (UTF-8, for pages and the tool) and its glyphs.
// Point names are those of the planet table; aspect names those of the aspect table, the
// English ones spelt as an astrologer reads them on paper.
#pragma once

#include <string>

namespace orvenda::natal {

std::string pointName(int point, bool greek);
std::string aspectName(int aspect, bool greek);
// The names as a page, a report or a reading writes them: whole words, and in Greek with
// the accents that the console's code page can't carry on a capital (the screens' names
// are cut to fit and lack them). An aspect in lower case, as inside a sentence.
std::string pointWord(int point, bool greek);
std::string aspectWord(int aspect, bool greek);
// A text with its first letter a capital (Greek's accented ones too).
std::string capitalised(const std::string& utf8);
std::string signName(int sign, bool greek);
// A glyph an astrological font draws, UTF-8 (letters for the points that have none).
std::string pointGlyph(int point);
// The same, with the angles in Greek letters for a Greek page (ΩΡ, ΜΕ).
std::string pointGlyph(int point, bool greek);
std::string signGlyph(int sign);
// A short mark for the aspect grid: a glyph for the classical ones, letters for the rest.
std::string aspectMark(int aspect);
// The family of an aspect, for its colour: 0 hard, 1 soft, 2 minor.
int aspectFamily(int aspect);

}  // namespace orvenda::natal
