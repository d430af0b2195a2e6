// Logical names on disk, whole-block reads, and writes that never leave a torn file,
// whichever system call fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// A batch (an import) is written as write() writes each file, flushed together: every file
// whole, its notes file beside it; where the one sync fails, every file keeps its old
// contents; where one rename fails, that file alone does.
TEST(FileSystem, ABatchWritesEveryFileWholeOrLeavesItAsItWas) {
  static std::string refusedRename;
  static bool syncFails;
  refusedRename.clear();
  syncFails = false;
  Syscalls s = Syscalls::system();
  s.syncfs = [](int fd) { return syncFails ? (errno = EIO, -1) : ::syncfs(fd); };
  s.rename = [](const char* a, const char* b) {
    if (std::string(b).ends_with(refusedRename) && !refusedRename.empty())
      return errno = EACCES, -1;
    return ::rename(a, b);
  };
  const std::vector<std::uint8_t> oldBytes(56, 0xAA), newBytes(56, 0x55);
  auto batch = [&] {
    std::vector<FileSystem::BatchFile> files;
    for (const char* name : {"a", "b", "c"})
      files.push_back(
          {std::string("NAMES\\") + name, newBytes, std::string("NAMES\\") + name + ".txt"});
    return files;
  };
  for (int round = 0; round < 3; ++round) {
    TempDir dir;
    dir.mkdir("NAMES");
    dir.write("NAMES/a", oldBytes);
    dir.write("NAMES/b", oldBytes);
    syncFails = round == 1;
    refusedRename = round == 2 ? "/b" : "";
    PosixFileSystem fs(dir.path(), s);
    auto files = batch();
    fs.writeBatch(files);
    for (const auto& f : files) {
      const std::string name = f.logicalName.substr(6);
      const bool refused = round == 1 || (round == 2 && name == "b");
      EXPECT_EQ(f.written, !refused) << round << name;
      EXPECT_EQ(f.error, round == 1 ? EIO : refused ? EACCES : 0) << round << name;
      EXPECT_EQ(f.alsoCreated, !refused) << round << name;
      if (name == "c")
        EXPECT_EQ(dir.exists("NAMES/c"), !refused) << round;
      else
        EXPECT_EQ(dir.read("NAMES/" + name), refused ? oldBytes : newBytes) << round << name;
      EXPECT_EQ(dir.exists("NAMES/" + name + ".txt"), !refused) << round << name;
    }
    for (const auto& entry : dir.list("NAMES"))
      EXPECT_FALSE(isTemporaryName(entry)) << round << " left " << entry;
  }
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

// ---- what a plain "wb" open keeps: planted links refused, attributes and hard links kept ----

// A shared folder (sticky, open to everyone) where another user left NAMES/untitled as a
// link to a file of this user's. Who owns the link and the folder is told through the
// seam, so the rule is held whoever runs the test and whatever the kernel's own setting.
struct Owners {
  static inline uid_t link = 0;
  static inline uid_t folder = 0;
  static inline std::string folderPath;
};

Syscalls ownersFromTheTest() {
  Syscalls s = Syscalls::system();
  s.lstat = [](const char* p, struct stat* st) {
    const int rc = ::lstat(p, st);
    if (rc == 0 && S_ISLNK(st->st_mode)) st->st_uid = Owners::link;
    return rc;
  };
  s.stat = [](const char* p, struct stat* st) {
    const int rc = ::stat(p, st);
    std::string path = p;
    if (!path.empty() && path.back() == '/') path.pop_back();
    if (rc == 0 && path == Owners::folderPath) st->st_uid = Owners::folder;
    return rc;
  };
  return s;
}

TEST(FileSystem, ALinkPlantedInAStickySharedFolderIsFollowedOnlyForItsRightfulOwners) {
  const uid_t me = ::geteuid(), other = me + 4321, third = me + 5555;
  struct Case {
    const char* what;
    mode_t folderMode;
    uid_t linkOwner, folderOwner;
    bool followed;
  };
  const Case cases[] = {
      {"another user's link in a sticky folder open to all", 01777, other, me, false},
      {"another user's link in a sticky folder of a third", 01777, other, third, false},
      {"the folder owner's link", 01777, other, other, true},
      {"the user's own link", 01777, me, third, true},
      {"a folder that is not sticky", 0777, other, third, true},
      {"a sticky folder open to its group only", 01775, other, third, true},
  };
  const std::vector<std::uint8_t> thesis(300, 'T'), chart(56, 2);
  for (const Case& c : cases) {
    TempDir dir;
    dir.mkdir("NAMES");
    dir.mkdir("home");
    dir.write("home/thesis", thesis);
    ASSERT_EQ(::chmod((dir / "NAMES").c_str(), c.folderMode), 0);
    std::filesystem::create_symlink("../home/thesis", dir / "NAMES/untitled");
    Owners::link = c.linkOwner;
    Owners::folder = c.folderOwner;
    Owners::folderPath = dir / "NAMES";
    PosixFileSystem fs(dir.path(), ownersFromTheTest());
    errno = 0;
    EXPECT_EQ(fs.write("NAMES\\untitled", chart), c.followed) << c.what;
    EXPECT_EQ(fs.read("NAMES\\untitled", 56).has_value(), c.followed) << c.what;
    EXPECT_EQ(fs.touch("NAMES\\untitled"), c.followed) << c.what;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "NAMES/untitled")) << c.what;
    EXPECT_EQ(dir.read("home/thesis"), c.followed ? chart : thesis) << c.what;
    EXPECT_EQ(dir.list("home").size(), 1u) << c.what << ": no temporary beside the thesis";
    EXPECT_EQ(dir.list("NAMES").size(), 1u) << c.what;
  }
}

// Runs a shell command; false when it failed (a missing tool or a file system without
// access lists).
bool shell(const std::string& command) {
  return std::system((command + " 2>/dev/null").c_str()) == 0;
}

std::string output(const std::string& command) {
  std::string text;
  if (FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) text += buf;
    ::pclose(p);
  }
  return text;
}

std::string attribute(const std::string& path, const char* name) {
  char buf[256];
  const ssize_t n = ::getxattr(path.c_str(), name, buf, sizeof buf);
  return n < 0 ? std::string("(none)") : std::string(buf, static_cast<std::size_t>(n));
}

TEST(FileSystem, AReplacedFileKeepsItsAccessListAndItsOtherAttributes) {
  TempDir dir;
  dir.mkdir("NAMES");
  dir.write("NAMES/anna", std::vector<std::uint8_t>(56, 1));
  dir.write("NAMES/plain", std::vector<std::uint8_t>(56, 1));
  const std::string anna = dir / "NAMES/anna", plain = dir / "NAMES/plain";
  ::chmod(anna.c_str(), 0644);
  ::chmod(plain.c_str(), 0644);
  if (::setxattr(anna.c_str(), "user.client", "since 2019", 10, 0) != 0)
    GTEST_SKIP() << "this file system keeps no extended attributes";
  // Another user may write Anna's chart; the folder gives new files a list of its own.
  if (!shell("setfacl -m u:4321:rw '" + anna + "' && setfacl -d -m u:4322:rwx '" + dir / "NAMES'"))
    GTEST_SKIP() << "no setfacl, or no access lists here";
  const std::string listBefore = output("getfacl -cn '" + anna + "'");
  ASSERT_NE(listBefore.find("user:4321:rw-"), std::string::npos);
  const struct stat before = statOf(anna), plainBefore = statOf(plain);

  PosixFileSystem fs(dir.path());
  const std::vector<std::uint8_t> bytes(56, 2);
  ASSERT_TRUE(fs.write("NAMES\\anna", bytes));
  ASSERT_TRUE(fs.write("NAMES\\plain", bytes));
  EXPECT_EQ(dir.read("NAMES/anna"), bytes);
  EXPECT_EQ(output("getfacl -cn '" + anna + "'"), listBefore);
  EXPECT_EQ(attribute(anna, "user.client"), "since 2019");
  EXPECT_EQ(statOf(anna).st_mode, before.st_mode);
  // A file without a list gets none from the folder's default.
  EXPECT_EQ(output("getfacl -cn '" + plain + "'"), "user::rw-\ngroup::r--\nother::r--\n\n");
  EXPECT_EQ(statOf(plain).st_mode, plainBefore.st_mode);
  EXPECT_EQ(dir.list("NAMES").size(), 2u);
}

// An attribute the new file can't be given (a security label, a trusted one): the file
// is written where it is, which keeps every attribute it has.
TEST(FileSystem, AFileWhoseAttributesCantBeCopiedIsWrittenInPlace) {
  TempDir dir;
  dir.write("chart", std::vector<std::uint8_t>(56, 1));
  const std::string chart = dir / "chart";
  if (::setxattr(chart.c_str(), "user.client", "since 2019", 10, 0) != 0)
    GTEST_SKIP() << "this file system keeps no extended attributes";
  Syscalls s = Syscalls::system();
  s.fsetxattr = [](int, const char*, const void*, std::size_t, int) { return errno = EPERM, -1; };
  const struct stat before = statOf(chart);
  PosixFileSystem fs(dir.path(), s);
  const std::vector<std::uint8_t> bytes(56, 2);
  ASSERT_TRUE(fs.write("chart", bytes));
  EXPECT_EQ(dir.read("chart"), bytes);
  EXPECT_EQ(statOf(chart).st_ino, before.st_ino);
  EXPECT_EQ(attribute(chart, "user.client"), "since 2019");
  EXPECT_EQ(dir.list("").size(), 1u) << "no temporary left behind";
}

TEST(FileSystem, AChartWithASecondNameIsWrittenWhereBothNamesSeeIt) {
  TempDir dir;
  dir.mkdir("one/NAMES");
  dir.mkdir("two/NAMES");
  dir.write("one/NAMES/c", std::vector<std::uint8_t>(56, 1));
  ASSERT_EQ(::link((dir / "one/NAMES/c").c_str(), (dir / "two/NAMES/c").c_str()), 0);
  const struct stat before = statOf(dir / "one/NAMES/c");
  PosixFileSystem fs(dir / "one");
  const std::vector<std::uint8_t> bytes(56, 2);
  ASSERT_TRUE(fs.write("NAMES\\c", bytes));
  const struct stat after = statOf(dir / "one/NAMES/c");
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(dir.read("two/NAMES/c"), bytes);
  EXPECT_EQ(dir.list("one/NAMES").size(), 1u);
}

}  // namespace
}  // namespace orvenda
