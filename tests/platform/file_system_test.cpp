// Logical names on disk, whole-block reads, and writes that never leave a torn file,
// whichever system call fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <cerrno>

#include "platform/posix_file_system.h"
#include "support/temp_dir.h"

namespace orvenda {
namespace {

using testing::TempDir;

TEST(PlatformPath, BackslashIsASlashAndGreekBytesAreUtf8) {
  EXPECT_EQ(platformPath("settings\\langpro"), "settings/langpro");
  EXPECT_EQ(platformPath("NAMES\\\x82\xA0\xE9\xA8\x9A\xA6\xAA"), "NAMES/Γιώργος");
  EXPECT_EQ(platformPath("NAMES\\my chart.txt"), "NAMES/my chart.txt");
  EXPECT_EQ(platformPath("PRINT/bush.html"), "PRINT/bush.html");
}

TEST(FileSystem, ReadGivesAtMostTheBlockAndShortFilesGiveWhatTheyHold) {
  TempDir dir;
  dir.mkdir("settings");
  dir.write("settings/lonlat", std::vector<std::uint8_t>(30, 7));
  dir.write("settings/empty", {});
  PosixFileSystem fs(dir.path());
  auto full = fs.read("settings\\lonlat", 24);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->size(), 24u);
  auto empty = fs.read("settings\\empty", 4);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(fs.read("settings\\missing", 4));
  EXPECT_FALSE(fs.read("settings", 4)) << "a folder is not a file";
}

TEST(FileSystem, WriteCreatesOrReplacesTheWholeFile) {
  TempDir dir;
  dir.mkdir("NAMES");
  PosixFileSystem fs(dir.path());
  const std::vector<std::uint8_t> a(56, 1), b(4, 2);
  ASSERT_TRUE(fs.write("NAMES\\\x82\xA0\xE9\xA8\x9A\xA6\xAA", a));
  EXPECT_EQ(dir.read("NAMES/Γιώργος"), a);
  ASSERT_TRUE(fs.write("NAMES\\\x82\xA0\xE9\xA8\x9A\xA6\xAA", b));
  EXPECT_EQ(dir.read("NAMES/Γιώργος"), b);
  EXPECT_EQ(dir.list("NAMES").size(), 1u) << "no temporary file is left behind";
  EXPECT_FALSE(fs.write("MISSING\\x", a)) << "a missing folder is never created";
  EXPECT_FALSE(dir.exists("MISSING"));
}

TEST(FileSystem, TouchCreatesEmptyAndLeavesExistingNotesAlone) {
  TempDir dir;
  dir.mkdir("NAMES");
  dir.write("NAMES/a.txt", {'n', 'o', 't', 'e'});
  PosixFileSystem fs(dir.path());
  ASSERT_TRUE(fs.touch("NAMES\\a.txt"));
  EXPECT_EQ(dir.read("NAMES/a.txt").size(), 4u);
  ASSERT_TRUE(fs.touch("NAMES\\b.txt"));
  EXPECT_TRUE(dir.exists("NAMES/b.txt"));
  EXPECT_FALSE(fs.touch("NOPE\\c.txt"));
}

// ---- injected failures ----------------------------------------------------------------
// Whatever step fails, the target keeps its old contents and no temporary file stays.

enum class Step { Open, Write, ShortWrite, Fsync, Close, Rename, NotWritable };
Step g_failAt;
int g_errno;

Syscalls failing() {
  Syscalls s = Syscalls::system();
  s.open = [](const char* p, int f, mode_t m) {
    if (g_failAt == Step::Open && (f & O_CREAT)) return errno = g_errno, -1;
    return ::open(p, f, m);
  };
  s.write = [](int fd, const void* b, std::size_t n) -> ssize_t {
    if (g_failAt == Step::Write) return errno = g_errno, -1;
    if (g_failAt == Step::ShortWrite) {
      if (n > 3) return ::write(fd, b, 3);
      return errno = g_errno, -1;  // then the disk is full
    }
    return ::write(fd, b, n);
  };
  s.fsync = [](int fd) {
    if (g_failAt == Step::Fsync) return errno = g_errno, -1;
    return ::fsync(fd);
  };
  s.close = [](int fd) {
    const int rc = ::close(fd);
    if (g_failAt == Step::Close) return errno = g_errno, -1;
    return rc;
  };
  s.rename = [](const char* a, const char* b) {
    if (g_failAt == Step::Rename) return errno = g_errno, -1;
    return ::rename(a, b);
  };
  s.access = [](const char* p, int mode) {
    if (g_failAt == Step::NotWritable && mode == W_OK) return errno = EACCES, -1;
    return ::access(p, mode);
  };
  return s;
}

TEST(FileSystem, AnInterruptedWriteNeverLeavesAShortOrEmptyFile) {
  const std::vector<std::uint8_t> oldBytes(4, 0xAA), newBytes(4, 0x55);
  for (Step step : {Step::Open, Step::Write, Step::ShortWrite, Step::Fsync, Step::Close,
                    Step::Rename, Step::NotWritable}) {
    for (int err : {EACCES, EROFS, ENOSPC, EIO}) {
      TempDir dir;
      dir.mkdir("settings");
      dir.write("settings/metaixmio", oldBytes);
      g_failAt = step;
      g_errno = err;
      PosixFileSystem fs(dir.path(), failing());
      EXPECT_FALSE(fs.write("settings\\metaixmio", newBytes)) << int(step) << " " << err;
      EXPECT_EQ(dir.read("settings/metaixmio"), oldBytes) << int(step) << " " << err;
      EXPECT_EQ(dir.list("settings").size(), 1u) << int(step) << " " << err;
    }
  }
}

TEST(FileSystem, InterruptedSystemCallsAreRetried) {
  static int interruptions;
  interruptions = 0;
  Syscalls s = Syscalls::system();
  s.write = [](int fd, const void* b, std::size_t n) -> ssize_t {
    if (interruptions++ < 2) return errno = EINTR, -1;
    return ::write(fd, b, n);
  };
  TempDir dir;
  PosixFileSystem fs(dir.path(), s);
  const std::vector<std::uint8_t> bytes(24, 3);
  ASSERT_TRUE(fs.write("lonlat", bytes));
  EXPECT_EQ(dir.read("lonlat"), bytes);
}

}  // namespace
}  // namespace orvenda
