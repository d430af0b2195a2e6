// Logical names on disk, whole-block reads, and writes that never leave a torn file,
// whichever system call fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

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

// ---- beside other writers and other files -------------------------------------------------

TEST(FileSystem, ASymbolicLinkKeepsPointingAtTheFileThatIsReplaced) {
  TempDir dir;
  dir.mkdir("NAMES");
  dir.mkdir("elsewhere");
  dir.write("elsewhere/real", std::vector<std::uint8_t>(56, 1));
  std::filesystem::create_symlink("../elsewhere/real", dir / "NAMES/hop");
  std::filesystem::create_symlink("hop", dir / "NAMES/anna");  // a chain, both relative
  PosixFileSystem fs(dir.path());
  const std::vector<std::uint8_t> bytes(56, 2);
  ASSERT_TRUE(fs.write("NAMES\\anna", bytes));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "NAMES/anna"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "NAMES/hop"));
  EXPECT_EQ(dir.read("elsewhere/real"), bytes);
  EXPECT_EQ(dir.list("elsewhere").size(), 1u);
}

// A file's modification time set this many seconds back.
void age(const std::string& path, int seconds) {
  const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(FileSystem, OnlyADeadWritersTemporaryIsEverRemoved) {
  TempDir dir;
  dir.mkdir("NAMES");
  const std::string mark = "\xE2\x80\xA3";
  pid_t dead = fork();  // a process id that surely belongs to no one now
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string leftover = kTempPrefix + std::to_string(dead) + mark + "1a2b";
  // A copy that ran as pid 1 in a container and was killed: pid 1 is alive here for ever.
  const std::string firstInContainer = kTempPrefix + std::string("1") + mark + "3c";
  // A writer of another pid namespace, alive although its id isn't: its lock says so.
  const std::string held = kTempPrefix + std::to_string(dead) + mark + "4d";
  // A writer between making its temporary and locking it: too young to be judged.
  const std::string young = kTempPrefix + std::to_string(dead) + mark + "5e";
  const std::vector<std::string> userFiles = {"foo.orvenda-new", kTempPrefix + std::to_string(dead),
                                              ".orvenda-" + std::to_string(dead),
                                              kTempPrefix + std::to_string(dead) + mark + "XYZ"};
  for (const auto& name : userFiles) dir.write("NAMES/" + name, {7});
  for (const auto& name : {leftover, firstInContainer, held, young})
    dir.write("NAMES/" + name, {9});
  for (const auto& name : userFiles) age(dir / ("NAMES/" + name), 3600);
  for (const auto& name : {leftover, firstInContainer, held}) age(dir / ("NAMES/" + name), 61);
  age(dir / ("NAMES/" + young), 50);
  const int lock = ::open((dir / ("NAMES/" + held)).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);

  PosixFileSystem fs(dir.path());
  ASSERT_TRUE(fs.write("NAMES\\foo", std::vector<std::uint8_t>(56, 3)));
  ::close(lock);
  EXPECT_FALSE(dir.exists("NAMES/" + leftover));
  EXPECT_FALSE(dir.exists("NAMES/" + firstInContainer));
  EXPECT_TRUE(dir.exists("NAMES/" + held));
  EXPECT_TRUE(dir.exists("NAMES/" + young));
  for (const auto& name : userFiles) EXPECT_EQ(dir.read("NAMES/" + name).size(), 1u) << name;
  EXPECT_EQ(dir.read("NAMES/foo").size(), 56u);
  EXPECT_EQ(dir.list("NAMES").size(), userFiles.size() + 3);
}

TEST(FileSystem, TheTargetKeepsItsPermissions) {
  TempDir dir;
  dir.write("chart", {1});
  ::chmod((dir / "chart").c_str(), 0640);
  PosixFileSystem fs(dir.path());
  ASSERT_TRUE(fs.write("chart", std::vector<std::uint8_t>(56, 1)));
  struct stat st {};
  ::stat((dir / "chart").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A folder of another owner, or an immutable one: no new file can be made there, but the
// file itself can be written, so it is written in place.
Syscalls folderTakesNoNewFile() {
  Syscalls s = Syscalls::system();
  s.open = [](const char* p, int f, mode_t m) {
    if (f & O_CREAT) return errno = EACCES, -1;
    return ::open(p, f, m);
  };
  s.access = [](const char* p, int mode) {
    struct stat st {};
    if (mode == W_OK && ::stat(p, &st) == 0 && S_ISDIR(st.st_mode)) return errno = EACCES, -1;
    return ::access(p, mode);
  };
  return s;
}

TEST(FileSystem, AFolderThatTakesNoNewFileHasItsFilesWrittenInPlace) {
  TempDir dir;
  dir.mkdir("settings");
  dir.write("settings/natpl", std::vector<std::uint8_t>(400, 1));  // longer than the new one
  PosixFileSystem fs(dir.path(), folderTakesNoNewFile());
  const std::vector<std::uint8_t> bytes(352, 2);
  ASSERT_TRUE(fs.write("settings\\natpl", bytes));
  EXPECT_EQ(dir.read("settings/natpl"), bytes);
  EXPECT_FALSE(fs.write("settings\\missing", bytes)) << "a new file still can't be made";
  EXPECT_EQ(dir.list("settings").size(), 1u);
}

TEST(FileSystem, AnImmutableFolderStillTakesWritesToItsFiles) {
  TempDir dir;
  dir.mkdir("NAMES");
  dir.write("NAMES/untitled", std::vector<std::uint8_t>(56, 1));
  const std::string folder = dir / "NAMES";
  if (std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "this file system has no immutable folders";
  PosixFileSystem fs(dir.path());
  const std::vector<std::uint8_t> bytes(56, 2);
  const bool written = fs.write("NAMES\\untitled", bytes);
  const bool created = fs.write("NAMES\\new", bytes);
  [[maybe_unused]] const int undone = std::system(("chattr -i '" + folder + "'").c_str());
  EXPECT_TRUE(written);
  EXPECT_FALSE(created);
  EXPECT_EQ(dir.read("NAMES/untitled"), bytes);
}

// ---- targets that are not plain files, and files of other owners --------------------------

struct stat statOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

TEST(FileSystem, OnlyAPlainFileIsEverReplaced) {
  TempDir dir;
  dir.mkdir("NAMES");
  ASSERT_EQ(::mkfifo((dir / "NAMES/fifo").c_str(), 0644), 0);
  std::filesystem::create_symlink("fifo", dir / "NAMES/tofifo");
  dir.mkdir("NAMES/folder");
  PosixFileSystem fs(dir.path());
  const std::vector<std::uint8_t> bytes(56, 2);
  // Nobody reads the FIFO: a save that opened it would wait here for ever.
  EXPECT_FALSE(fs.write("NAMES\\fifo", bytes));
  EXPECT_FALSE(fs.write("NAMES\\tofifo", bytes));
  EXPECT_FALSE(fs.write("NAMES\\folder", bytes));
  EXPECT_TRUE(S_ISFIFO(statOf(dir / "NAMES/fifo").st_mode));
  EXPECT_TRUE(S_ISLNK(statOf(dir / "NAMES/tofifo").st_mode));
  EXPECT_TRUE(S_ISDIR(statOf(dir / "NAMES/folder").st_mode));
  EXPECT_EQ(dir.list("NAMES").size(), 3u) << "no temporary left behind";
}

// A device node where a chart would be (made with mknod, or a link to /dev/null): the
// system call that tells the file's kind says "character device".
TEST(FileSystem, ADeviceNodeIsNeverReplaced) {
  static std::string device;
  TempDir dir;
  dir.mkdir("NAMES");
  dir.write("NAMES/null", {});
  std::filesystem::create_symlink("null", dir / "NAMES/link");
  device = dir / "NAMES/null";
  Syscalls s = Syscalls::system();
  s.stat = [](const char* p, struct stat* st) {
    const int rc = ::stat(p, st);
    if (rc == 0 && device == p) st->st_mode = S_IFCHR | 0666;
    return rc;
  };
  PosixFileSystem fs(dir.path(), s);
  EXPECT_FALSE(fs.write("NAMES\\null", std::vector<std::uint8_t>(56, 2)));
  EXPECT_FALSE(fs.write("NAMES\\link", std::vector<std::uint8_t>(56, 2)));
  EXPECT_EQ(dir.read("NAMES/null").size(), 0u);
  EXPECT_TRUE(S_ISLNK(statOf(dir / "NAMES/link").st_mode));
}

TEST(FileSystem, ALoopOfLinksIsRefusedAndStaysALoop) {
  TempDir dir;
  dir.mkdir("NAMES");
  std::filesystem::create_symlink("loopb", dir / "NAMES/loopa");
  std::filesystem::create_symlink("loopa", dir / "NAMES/loopb");
  std::filesystem::create_symlink("self", dir / "NAMES/self");
  PosixFileSystem fs(dir.path());
  for (const char* name : {"NAMES\\loopa", "NAMES\\self"})
    EXPECT_FALSE(fs.write(name, std::vector<std::uint8_t>(56, 2))) << name;
  for (const char* name : {"NAMES/loopa", "NAMES/loopb", "NAMES/self"})
    EXPECT_TRUE(S_ISLNK(statOf(dir / name).st_mode)) << name;
  EXPECT_EQ(dir.list("NAMES").size(), 3u);
}

TEST(FileSystem, AReplacedFileKeepsItsOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
  TempDir dir;
  dir.write("chart", std::vector<std::uint8_t>(56, 1));
  ASSERT_EQ(::chown((dir / "chart").c_str(), 4321, 8765), 0);
  ::chmod((dir / "chart").c_str(), 0664);
  PosixFileSystem fs(dir.path());
  ASSERT_TRUE(fs.write("chart", std::vector<std::uint8_t>(56, 2)));
  const struct stat st = statOf(dir / "chart");
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 8765u);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(dir.read("chart"), std::vector<std::uint8_t>(56, 2));
}

// Another user's file in a group's folder, or in a sticky one: the new file can't be
// given its owner, or can't be renamed over it. It is written in place, whole, and keeps
// its owner, group, mode and inode.
TEST(FileSystem, AFileThatCantBeReplacedAsItsOwnerHadItIsWrittenInPlace) {
  enum class Refusal { Chown, Rename };
  static Refusal refusal;
  Syscalls s = Syscalls::system();
  s.fchown = [](int fd, uid_t u, gid_t g) {
    if (refusal == Refusal::Chown) return errno = EPERM, -1;
    return ::fchown(fd, u, g);
  };
  s.rename = [](const char* a, const char* b) {
    if (refusal == Refusal::Rename) return errno = EPERM, -1;
    return ::rename(a, b);
  };
  for (Refusal r : {Refusal::Chown, Refusal::Rename}) {
    refusal = r;
    TempDir dir;
    dir.mkdir("NAMES");
    dir.write("NAMES/anna", std::vector<std::uint8_t>(56, 1));
    ::chmod((dir / "NAMES/anna").c_str(), 0664);
    // Another owner, so the new file would need a chown (root can give it; the seam
    // refuses as the kernel refuses a user).
    if (r == Refusal::Chown) {
      const int expected = ::geteuid() == 0 ? 0 : -1;
      ASSERT_EQ(::lchown((dir / "NAMES/anna").c_str(), 4321, 8765), expected);
    }
    const struct stat before = statOf(dir / "NAMES/anna");
    PosixFileSystem fs(dir.path(), s);
    const std::vector<std::uint8_t> bytes(56, 2);
    ASSERT_TRUE(fs.write("NAMES\\anna", bytes)) << int(r);
    const struct stat after = statOf(dir / "NAMES/anna");
    EXPECT_EQ(dir.read("NAMES/anna"), bytes) << int(r);
    EXPECT_EQ(after.st_ino, before.st_ino) << int(r);
    EXPECT_EQ(after.st_uid, before.st_uid) << int(r);
    EXPECT_EQ(after.st_gid, before.st_gid) << int(r);
    EXPECT_EQ(after.st_mode, before.st_mode) << int(r);
    EXPECT_EQ(dir.list("NAMES").size(), 1u) << "no temporary left behind";
    // A new chart there is still made as the user's own.
    refusal = Refusal::Chown;
    EXPECT_TRUE(fs.write("NAMES\\new", bytes));
    EXPECT_EQ(statOf(dir / "NAMES/new").st_uid, ::geteuid());
  }
}

}  // namespace
}  // namespace orvenda
