// The interpretation sets the reading is written from: plain UTF-8 files an astrologer
// edits in any text editor, one entry per key ("Sun in Aries", "Moon square Saturn",
// "house 7"), keys in English in every language. The shipped set of a language is read
// once per process; a working directory's READING/<language>/ files override it entry by
// entry and are read again at each reading, so an edit shows at the next R.
//
// A file of the set:
//   # a comment (a line that starts with #)
//   [Sun in Aries]
//   The entry's text, on as many lines as it likes; a blank line starts a paragraph.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvenda {

class FileSystem;

namespace reading {

// The files of a set, in every language's folder; a key may stand in any of them.
inline constexpr const char* kSetFiles[] = {"signs.txt",       "houses.txt",    "aspects.txt",
                                            "chart.txt",       "transits.txt",  "synastry.txt",
                                            "traditional.txt", "timelords.txt", "sky.txt"};
// The folder of a language: "en" or "el".
const char* languageFolder(bool greek);

struct TextEntry {
  std::string text;  // paragraphs separated by "\n"
  std::string file;  // as shown in messages
  int line = 0;      // of the key
};

// Something a file of a set gets wrong, with its place.
struct TextProblem {
  std::string file;
  int line = 0;
  std::string what;
};

// One layer of a set (the shipped texts, or a working directory's), by canonical key.
struct TextLayer {
  std::map<std::string, TextEntry> entries;
  std::vector<TextProblem> problems;
  std::vector<std::string> filesRead;
};

// The key as the set stores it: spaces collapsed, letters in lower case, and the two points
// of a pair in the planet table's order; nothing when the key is not one a reading uses.
std::optional<std::string> canonicalKey(std::string_view key);
// Every key the shipped sets give a text for, canonical, in a stable order.
const std::vector<std::string>& requiredKeys();
// The key a reading looks up, spelt as the files spell it ("Sun in Aries").
std::string displayKey(const std::string& canonical);
// The traditional chart's keys, spelt as the files spell them, in the order of its file:
// sect, the planets in or contrary to it, their condition, receptions, the lots by house,
// the stars with a nature, the points out of bounds.
const std::vector<std::string>& traditionalKeys();
// The time lords' and directions' keys, likewise: the profected house, the lord of the
// year, the firdaria and their sub-periods, the releasing's signs, peak and loosing, each
// planet directed to the five significators by each nature.
const std::vector<std::string>& timelordKeys();
// The sky's keys, likewise: the new and full moons and the eclipses in each natal house, an
// eclipse on each planet and angle, the void-of-course Moon, the hour of each of the seven,
// the new or full moon before birth in each sign.
const std::vector<std::string>& skyKeys();

// Reads one file's text into a layer: later entries of the same key replace earlier ones
// and are reported, as are malformed lines, unknown keys and entries without text.
// `checkEncoding` false skips the check that the file is UTF-8: for the shipped files, which
// the program's tests hold to it, so that each process doesn't pay for it again.
void parseTexts(std::string_view content, const std::string& fileShown, TextLayer& into,
                bool checkEncoding = true);

// A whole set: the working directory's entries over the shipped ones.
class TextSet {
 public:
  TextSet() = default;
  TextSet(const TextLayer* shipped, TextLayer own) : shipped_(shipped), own_(std::move(own)) {}
  // Over the process-wide shipped set of a language, read a part at a time as it is asked
  // for (the natal files first; those of time and of two people when a key of theirs is).
  static TextSet overShipped(bool greek, TextLayer own);
  // The text of a canonical key, or nothing.
  const std::string* find(const std::string& key) const;
  // The whole shipped layer (every file of it read).
  const TextLayer* shipped() const;
  const TextLayer& own() const { return own_; }
  // Whether any shipped file was found (the natal ones, which every reading needs).
  bool shippedFound() const;

 private:
  const TextLayer* shipped_ = nullptr;  // owned by the process-wide cache
  bool lazy_ = false, greek_ = false;
  TextLayer own_;
};

// The folder the shipped sets are in: ORVENDA_TEXTS when set, else texts/ beside the
// program (the Windows folder, a build tree), else ../share/orvenda/texts from it.
std::string shippedTextsFolder();
// The shipped layer of a language, read from that folder once per process.
const TextLayer& shippedTexts(bool greek);
// One part of it: 0 the natal files (signs, houses, aspects, chart), 1 those of time and
// of two people (transits, synastry), each read once per process when first asked for.
const TextLayer& shippedPart(bool greek, int part);
// The part of the shipped set a key's entry stands in.
int shippedPartOf(const std::string& canonicalKey);
// A working directory's own layer, read through the program's file layer.
TextLayer ownTexts(FileSystem& files, bool greek);
// The set a reading in that language is written from.
TextSet textSet(FileSystem& workingDirectory, bool greek);

}  // namespace reading
}  // namespace orvenda
