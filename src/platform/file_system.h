// The program's files as the program names them ("settings\langpro", "NAMES\" + name),
// mapped onto the platform, with system calls behind a seam so tests can make them fail.
#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvenda {

// A logical name as a POSIX path: backslash to "/", CP737 letters to UTF-8, so that a
// chart typed in Greek is a readable file name.
std::string platformPath(std::string_view logicalName);

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // At most maxBytes from the start of the file; nullopt when it can't be opened (or
  // is not a regular file).
  virtual std::optional<std::vector<std::uint8_t>> read(std::string_view logicalName,
                                                        std::size_t maxBytes) = 0;
  // Replaces the whole file. Crash-safe: afterwards the file holds either its old or its
  // new contents. False when it can't be written; the old file is then untouched.
  virtual bool write(std::string_view logicalName, std::span<const std::uint8_t> bytes) = 0;
  // Opens for reading and appending, creating it empty when missing, and closes it.
  virtual bool touch(std::string_view logicalName) = 0;
  // Whether a folder stands where the name is (where a file was meant to be read).
  virtual bool isFolder(std::string_view /*logicalName*/) { return false; }

  // One file of a batch: what to write, and afterwards whether it was written (errno's
  // reason where not). `alsoCreate`, where given, is touched once the file is in place (a
  // chart's notes file).
  struct BatchFile {
    std::string logicalName;
    std::vector<std::uint8_t> bytes;
    std::string alsoCreate;
    bool written = false, alsoCreated = false;
    int error = 0, alsoError = 0;
  };
  // Writes many files as write() writes each, every one of them its old or its new contents
  // whatever happens, but flushed to disk together rather than one by one (an import of
  // thousands of charts). This writes them one by one.
  virtual void writeBatch(std::span<BatchFile> files) {
    for (BatchFile& f : files) {
      f.written = write(f.logicalName, f.bytes);
      f.error = f.written ? 0 : errno;
      if (f.written && !f.alsoCreate.empty()) {
        f.alsoCreated = touch(f.alsoCreate);
        f.alsoError = f.alsoCreated ? 0 : errno;
      }
    }
  }
};

// Whether the path is a symbolic link that another user left in a folder that is sticky
// and open to everyone (as /tmp is), which no read or save follows.
bool isPlantedLink(const std::string& path);

// The file system of the platform the program runs on, with names taken relative to root
// (the working directory unless a test says otherwise).
std::unique_ptr<FileSystem> openFileSystem(std::string root = ".");

}  // namespace orvenda
