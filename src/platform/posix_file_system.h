// The POSIX file system: system calls behind a seam so that tests can make them fail.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <map>

#include "platform/file_system.h"

namespace orvenda {

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
  int (*ftruncate)(int fd, off_t length);
  int (*stat)(const char* path, struct stat* st);
  int (*fchown)(int fd, uid_t owner, gid_t group);
  int (*lstat)(const char* path, struct stat* st);
  ssize_t (*listxattr)(const char* path, char* names, std::size_t size);
  ssize_t (*getxattr)(const char* path, const char* name, void* value, std::size_t size);
  int (*fsetxattr)(int fd, const char* name, const void* value, std::size_t size, int flags);
  int (*syncfs)(int fd);
  static Syscalls system();
};

// Every temporary file a save makes is called ".orvenda‣<pid>‣<random>" (UTF-8 "‣",
// U+2023). No chart name can produce that character, so a sweep never takes a user's
// file for one of ours.
inline constexpr char kTempPrefix[] = ".orvenda\xE2\x80\xA3";
bool isTemporaryName(std::string_view fileName);

class PosixFileSystem final : public FileSystem {
 public:
  // Names are taken relative to root (the working directory unless a test says otherwise).
  explicit PosixFileSystem(std::string root = ".", Syscalls calls = Syscalls::system());

  std::optional<std::vector<std::uint8_t>> read(std::string_view logicalName,
                                                std::size_t maxBytes) override;
  bool write(std::string_view logicalName, std::span<const std::uint8_t> bytes) override;
  bool touch(std::string_view logicalName) override;
  bool isFolder(std::string_view logicalName) override;
  // Each file's temporary written whole, then one sync of the file system for them all,
  // then the renames, then one flush of each folder: after a crash at any point each file
  // is its old or its new contents, as with write(), at a fraction of the cost of a flush
  // per file.
  void writeBatch(std::span<BatchFile> files) override;

  std::string pathOf(std::string_view logicalName) const;

 private:
  bool writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes);
  // A write up to its flush: the new contents whole in a temporary beside the target, or,
  // where the target must be written in place, that done (`inPlace`). `flush` flushes the
  // temporary itself. False, with errno, where nothing could be written.
  struct Staged {
    std::string temp, path;
    bool exists = false, inPlace = false;
  };
  bool stage(std::string_view logicalName, std::span<const std::uint8_t> bytes, bool flush,
             Staged& out);
  // Renames a staged temporary over its target; a sticky folder's file is written in place.
  bool place(const Staged& s, std::span<const std::uint8_t> bytes);
  std::optional<std::string> followLinks(std::string path);
  bool copyAttributes(const std::string& from, int to);
  bool writeAll(int fd, std::span<const std::uint8_t> bytes);
  void sweep(const std::string& folder);

  std::string root_;
  Syscalls sys_;
  // When each folder was last cleared of dead writers' temporaries: a folder is looked
  // through at most once a minute, so that saving many charts stays linear.
  std::map<std::string, std::chrono::steady_clock::time_point> swept_;
};

// A temporary is taken for a dead writer's only when nobody holds its lock and it is at
// least this old: a writer locks it as soon as it is made, and is done within seconds.
inline constexpr auto kTemporaryAgeBound = std::chrono::seconds(60);

}  // namespace orvenda
