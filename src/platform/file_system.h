// The program's files as the program names them ("settings\langpro", "NAMES\" + name),
// mapped onto the platform, with system calls behind a seam so tests can make them fail.
#pragma once

#include <sys/types.h>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvenda {

// A logical name as a platform path: backslash to "/", CP737 letters to UTF-8, so that a
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
};

// The system calls the real file system makes; tests replace single entries to inject
// EACCES, EROFS, ENOSPC, EIO at any step.
struct Syscalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buf, std::size_t n);
  ssize_t (*write)(int fd, const void* buf, std::size_t n);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
  int (*access)(const char* path, int mode);
  static Syscalls system();
};

class PosixFileSystem final : public FileSystem {
 public:
  // Names are taken relative to root (the working directory unless a test says otherwise).
  explicit PosixFileSystem(std::string root = ".", Syscalls calls = Syscalls::system());

  std::optional<std::vector<std::uint8_t>> read(std::string_view logicalName,
                                                std::size_t maxBytes) override;
  bool write(std::string_view logicalName, std::span<const std::uint8_t> bytes) override;
  bool touch(std::string_view logicalName) override;

  std::string pathOf(std::string_view logicalName) const;

 private:
  std::string root_;
  Syscalls sys_;
};

}  // namespace orvenda
