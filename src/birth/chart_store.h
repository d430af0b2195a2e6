// The folder NAMES\: one 56-byte chart file per name, and beside it the notes file
// "<name>.txt". Names are the bytes typed at the prompt (CP737) and never leave NAMES\.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "birth/birth_record.h"

namespace orvenda {

class FileSystem;

inline constexpr char kChartFolder[] = "NAMES\\";
inline constexpr std::size_t kMaxChartNameLength = 69;

// A name stays inside NAMES\: not absolute, no ".." component, at most 69 characters.
// A backslash (or slash) still reaches a sub-folder.
bool isAllowedChartName(std::string_view name);

class ChartStore {
 public:
  explicit ChartStore(FileSystem& files) : files_(files) {}

  // chartPath is "NAMES\" + name. Each returns false when the file can't be opened,
  // including for a name that would leave NAMES\.
  bool write(std::string_view chartPath, const BirthRecord& record);
  // Creates "<chartPath>.txt" empty when missing; an existing one is left as it is.
  bool createNotes(std::string_view chartPath);
  // A file shorter than 56 bytes fills only the fields it holds.
  bool read(std::string_view chartPath, BirthRecord& record);

  // Many charts, each with its notes file, as write() and createNotes() would write them,
  // but flushed to disk together: an import of thousands. Each entry says afterwards
  // whether its chart and its notes were written, and errno's reason where not.
  struct Entry {
    std::string chartPath;
    BirthRecord record;
    bool written = false, notes = false;
    int error = 0, notesError = 0;
  };
  void writeMany(std::span<Entry> entries);

 private:
  FileSystem& files_;
};

// A chart name given as UTF-8 (on a command line, in an exchange file) as the program could
// type it at its prompt and open again: its CP737 bytes, or false with the reason.
bool chartName(const std::string& utf8, std::string& cp737Name, std::string& why);

// True for "NAMES\" followed by an allowed name.
bool chartPathAllowed(std::string_view chartPath);

}  // namespace orvenda
