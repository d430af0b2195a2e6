// Reading whole blocks, and replacing files so that they are always their old or their
// new contents, on POSIX systems.
//
// A save writes a temporary file of its own beside the target (created exclusively, so
// two copies of the program in one folder never share one), flushes it and renames it
// over the target. A symbolic link is followed, so the file it leads to is replaced and
// the link stays. A folder that takes no new file while the target itself is writable
// gets the target written in place instead, as a plain "wb" open would have done.
#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>
#include <map>

namespace orvenda {
namespace {

constexpr std::string_view kTempMark = "\xE2\x80\xA3";  // "‣", between the parts of the name

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string temporaryName() {
  static unsigned counter = 0;
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  const auto mix = static_cast<unsigned long long>(ts.tv_nsec) * 2654435761ULL ^
                   (static_cast<unsigned long long>(++counter) << 40);
  char hex[17];
  auto r = std::to_chars(hex, hex + 16, mix & 0xFFFFFFFFFFFFULL, 16);
  std::string name = kTempPrefix;
  name += std::to_string(::getpid());
  name += kTempMark;
  name.append(hex, r.ptr);
  return name;
}

// Whether the name is one of our temporaries: prefix, the writer's process id, mark,
// random hex digits.
bool temporaryNameParts(std::string_view name) {
  const std::string_view prefix = kTempPrefix;
  if (name.substr(0, prefix.size()) != prefix) return false;
  name.remove_prefix(prefix.size());
  const auto mark = name.find(kTempMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  long pid = 0;
  const auto r = std::from_chars(name.data(), name.data() + mark, pid);
  if (r.ptr != name.data() + mark || pid <= 0 || pid > INT_MAX) return false;
  const std::string_view rest = name.substr(mark + kTempMark.size());
  return !rest.empty() && rest.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Takes a lock, waiting a little for a holder that is in the middle of a write, never for
// ever: a file another program keeps locked is read or written without the lock.
void lockBriefly(int fd, int how) {
  for (int tries = 0; tries < 50; ++tries) {
    if (::flock(fd, how | LOCK_NB) == 0 || errno != EWOULDBLOCK) return;
    const timespec pause{0, 2'000'000};
    ::nanosleep(&pause, nullptr);
  }
}

// umask can only be read by setting it; the program has one thread, and reads it once.
mode_t currentUmask() {
  static const mode_t mask = [] {
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
  }();
  return mask;
}

// The rule of Linux's fs.protected_symlinks: in a folder that is sticky and open to
// everyone, a link is followed only when this user or the folder's owner made it.
bool plantedBySomeoneElse(const struct stat& link, const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH) && link.st_uid != ::geteuid() &&
         link.st_uid != folder.st_uid;
}

}  // namespace

bool isTemporaryName(std::string_view fileName) { return temporaryNameParts(fileName); }

// The file that a chain of symbolic links ends at (the path itself when it is none), or
// nothing, with errno saying why, where an open by name would be refused as well:
// - a chain that never ends (a loop): ELOOP;
// - a link in a folder that is sticky and open to everyone, made by someone who is neither
//   this user nor the folder's owner: EACCES. Such a link may have been planted to make
//   the user's save overwrite a file of the user's own; Linux refuses to follow it where
//   fs.protected_symlinks is set, and the program refuses it whatever that setting.
std::optional<std::string> PosixFileSystem::followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (sys_.lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    const std::string folder = folderOf(path);
    struct stat dir {};
    if (sys_.stat(folder.empty() ? "." : folder.c_str(), &dir) == 0 &&
        plantedBySomeoneElse(link, dir))
      return errno = EACCES, std::nullopt;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof buf)) return path;
    const std::string target(buf, static_cast<std::size_t>(n));
    path = target[0] == '/' ? target : folder + target;
  }
  return errno = ELOOP, std::nullopt;
}

bool isPlantedLink(const std::string& path) {
  struct stat link {
  }, dir{};
  const std::string folder = folderOf(path);
  return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
         ::stat(folder.empty() ? "." : folder.c_str(), &dir) == 0 &&
         plantedBySomeoneElse(link, dir);
}

namespace {

// The names of a file's extended attributes, from a listxattr-style call; nothing on a
// failure, with errno saying why.
template <typename List>
std::optional<std::vector<std::string>> attributeNames(List list) {
  for (int tries = 0; tries < 4; ++tries) {
    const ssize_t size = list(nullptr, 0);
    if (size < 0) return std::nullopt;
    std::vector<char> buf(static_cast<std::size_t>(size));
    const ssize_t n = list(buf.data(), buf.size());
    if (n < 0 && errno == ERANGE) continue;  // one was added in between
    if (n < 0) return std::nullopt;
    std::vector<std::string> names;
    for (std::size_t at = 0; at < static_cast<std::size_t>(n);) {
      names.emplace_back(buf.data() + at);
      at += names.back().size() + 1;
    }
    return names;
  }
  return errno = ERANGE, std::nullopt;
}

}  // namespace

// Gives the new file the extended attributes the old one had, and no others: its access
// list (system.posix_acl_access) above all, which a plain "wb" write would have kept, and
// which the folder's default list must not replace. False when any can't be copied.
bool PosixFileSystem::copyAttributes(const std::string& from, int to) {
  const auto wanted =
      attributeNames([&](char* b, std::size_t n) { return sys_.listxattr(from.c_str(), b, n); });
  if (!wanted) return errno == ENOTSUP;  // a file system with none keeps none
  const auto inherited =
      attributeNames([&](char* b, std::size_t n) { return ::flistxattr(to, b, n); });
  if (!inherited) return false;
  for (const auto& name : *inherited)
    if (std::find(wanted->begin(), wanted->end(), name) == wanted->end() &&
        ::fremovexattr(to, name.c_str()) != 0)
      return false;
  for (const auto& name : *wanted) {
    std::vector<char> value(256);
    ssize_t n = 0;
    for (;;) {
      n = sys_.getxattr(from.c_str(), name.c_str(), value.data(), value.size());
      if (n >= 0 || errno != ERANGE || value.size() > (1u << 20)) break;
      value.resize(value.size() * 4);
    }
    if (n < 0 ||
        sys_.fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(n), 0) != 0)
      return false;
  }
  return true;
}

Syscalls Syscalls::system() {
  return Syscalls{
      [](const char* p, int f, mode_t m) { return ::open(p, f, m); },
      ::read,
      ::write,
      ::fsync,
      ::close,
      ::rename,
      ::unlink,
      ::access,
      ::ftruncate,
      ::stat,
      ::fchown,
      ::lstat,
      ::listxattr,
      ::getxattr,
      ::fsetxattr,
      ::syncfs,
  };
}

PosixFileSystem::PosixFileSystem(std::string root, Syscalls calls)
    : root_(std::move(root)), sys_(calls) {}

bool PosixFileSystem::isFolder(std::string_view logicalName) {
  struct stat st {};
  return ::stat(pathOf(logicalName).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PosixFileSystem::pathOf(std::string_view logicalName) const {
  std::string p = platformPath(logicalName);
  if (root_.empty() || root_ == "." || (!p.empty() && p[0] == '/')) return p;
  return root_ + "/" + p;
}

std::optional<std::vector<std::uint8_t>> PosixFileSystem::read(std::string_view logicalName,
                                                               std::size_t maxBytes) {
  // A link is read where it would be written: a planted one is refused on both sides.
  const auto path = followLinks(pathOf(logicalName));
  if (!path) return std::nullopt;
  const int fd = sys_.open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    sys_.close(fd);
    return std::nullopt;
  }
  // A file being written in place is read before or after that write, never during it.
  lockBriefly(fd, LOCK_SH);
  std::vector<std::uint8_t> data(maxBytes);
  std::size_t got = 0;
  while (got < maxBytes) {
    const ssize_t n = sys_.read(fd, data.data() + got, maxBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a short or unreadable file gives what it gave
    got += static_cast<std::size_t>(n);
  }
  sys_.close(fd);
  data.resize(got);
  return data;
}

bool PosixFileSystem::writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = sys_.write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A writer killed between creating its temporary and renaming it leaves the temporary
// behind. A live writer holds a lock on it from the moment it is made; only a temporary
// whose lock can be taken and that is older than the bound (so that no writer can be
// between making it and locking it) is removed, and only if it is still the file that was
// checked. The writer's process id in the name is not asked: in another pid namespace
// every id looks dead, and a copy that ran as pid 1 there looks alive for ever.
void PosixFileSystem::sweep(const std::string& folder) {
  const auto now = std::chrono::steady_clock::now();
  const auto last = swept_.find(folder);
  if (last != swept_.end() && now - last->second < kTemporaryAgeBound) return;
  swept_[folder] = now;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const time_t oldest = ::time(nullptr) - std::chrono::seconds(kTemporaryAgeBound).count();
  while (const dirent* entry = ::readdir(dir)) {
    if (!temporaryNameParts(entry->d_name)) continue;
    const std::string path = folder + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat opened {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        S_ISREG(opened.st_mode) && opened.st_mtime < oldest && ::lstat(path.c_str(), &named) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
      sys_.unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

bool PosixFileSystem::writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
  // Written over and then cut to length, so that the file is never seen empty, under a
  // lock that the program's readers wait for, so that none of them sees it half written.
  const int fd = sys_.open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) lockBriefly(fd, LOCK_EX);
  ok = ok && writeAll(fd, bytes) && sys_.ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
       sys_.fsync(fd) == 0;
  const int err = errno;
  if (sys_.close(fd) != 0 && ok) return false;
  errno = err;
  return ok;
}

bool PosixFileSystem::stage(std::string_view logicalName, std::span<const std::uint8_t> bytes,
                            bool flush, Staged& out) {
  const auto followed = followLinks(pathOf(logicalName));
  if (!followed) return false;  // a loop of links, or one planted in a shared folder
  const std::string& path = *followed;
  out = Staged{{}, path, false, false};
  struct stat st {};
  const bool exists = out.exists = sys_.stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;
  // Only a plain file is ever replaced: a folder, a FIFO, a device or a socket named like
  // a chart stays what it is (and a FIFO is never opened, so nothing waits on it).
  if (exists && !S_ISREG(st.st_mode)) return errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL, false;
  // A target the user may not write stays as it is, as a plain "wb" open would fail.
  if (exists && sys_.access(path.c_str(), W_OK) != 0) return false;
  auto inPlace = [&] { return (out.inPlace = true, writeInPlace(path, bytes)); };
  // A file with a second name (a hard link in another working directory) is written where
  // it is, as "wb" writes it, so that both names keep showing the same chart.
  if (exists && st.st_nlink > 1) return inPlace();
  const std::string folder = folderOf(path);
  sweep(folder);

  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = folder + temporaryName();
    fd = sys_.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int err = errno;
    const std::string dirPath = folder.empty() ? "." : folder;
    if (exists && (err == EACCES || err == EPERM) && sys_.access(dirPath.c_str(), W_OK) != 0)
      return inPlace();
    errno = err;  // the cause, for the message that names it
    return false;
  }
  // Locked at once, so that a sweep in another copy of the program sees the temporary as
  // in use while it is written. Between the close and the rename it is unlocked for a
  // moment, and young: a sweep takes only temporaries a minute old.
  ::flock(fd, LOCK_EX | LOCK_NB);
  auto release = [&] { sys_.unlink(temp.c_str()); };

  // A file replaced keeps its owner and group, as "wb" keeps them. Where the new file
  // can't be given them (another user's file in a shared folder), the file is written in
  // place instead, as "wb" would write it.
  struct stat made {};
  bool ok = ::fstat(fd, &made) == 0;
  if (ok && exists && (made.st_uid != st.st_uid || made.st_gid != st.st_gid) &&
      sys_.fchown(fd, st.st_uid, st.st_gid) != 0) {
    const int err = errno;
    sys_.close(fd);
    release();
    if (err == EPERM) return inPlace();
    return errno = err, false;
  }
  ok = ok && ::fchmod(fd, exists ? (st.st_mode & 07777) : (0666 & ~currentUmask())) == 0;
  // The old file's access list and other extended attributes go with it; where one can't
  // be copied, the file is written in place, which keeps them all.
  if (ok && exists && !copyAttributes(path, fd)) {
    sys_.close(fd);
    release();
    return inPlace();
  }
  ok = ok && writeAll(fd, bytes) && (!flush || sys_.fsync(fd) == 0);
  int err = ok ? 0 : errno;
  if (sys_.close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    release();
    return errno = err, false;
  }
  out.temp = temp;
  return true;
}

bool PosixFileSystem::place(const Staged& s, std::span<const std::uint8_t> bytes) {
  if (sys_.rename(s.temp.c_str(), s.path.c_str()) == 0) return true;
  // A sticky folder lets no one but the owner replace a file, though its mode lets anyone
  // write it: written in place, as "wb" would.
  const int err = errno;
  sys_.unlink(s.temp.c_str());
  if (s.exists && err == EPERM) return writeInPlace(s.path, bytes);
  return errno = err, false;
}

bool PosixFileSystem::write(std::string_view logicalName, std::span<const std::uint8_t> bytes) {
  Staged s;
  if (!stage(logicalName, bytes, true, s)) return false;
  return s.inPlace || place(s, bytes);
}

void PosixFileSystem::writeBatch(std::span<BatchFile> files) {
  // The folders the temporaries stand in, each with the files that wait in it.
  std::map<std::string, std::vector<std::size_t>> waiting;
  std::vector<Staged> staged(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    BatchFile& f = files[i];
    f.written = f.alsoCreated = false;
    f.error = f.alsoError = 0;
    if (!stage(f.logicalName, f.bytes, false, staged[i])) {
      f.error = errno;
    } else if (staged[i].inPlace) {
      f.written = true;  // written and flushed where it is
      if (!f.alsoCreate.empty()) {
        f.alsoCreated = touch(f.alsoCreate);
        f.alsoError = f.alsoCreated ? 0 : errno;
      }
    } else {
      waiting[folderOf(staged[i].temp)].push_back(i);
    }
  }
  for (const auto& [folder, indices] : waiting) {
    // One sync of the file system puts every temporary on disk before any is renamed, so
    // that a target is never replaced by a file whose contents are still in memory.
    const int dir =
        sys_.open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    const bool synced = dir >= 0 && sys_.syncfs(dir) == 0;
    const int syncError = synced ? 0 : errno;
    for (std::size_t i : indices) {
      BatchFile& f = files[i];
      if (!synced) {
        sys_.unlink(staged[i].temp.c_str());
        f.error = syncError;
        continue;
      }
      f.written = place(staged[i], f.bytes);
      f.error = f.written ? 0 : errno;
      if (f.written && !f.alsoCreate.empty()) {
        f.alsoCreated = touch(f.alsoCreate);
        f.alsoError = f.alsoCreated ? 0 : errno;
      }
    }
    // The renames and the new notes files are the folder's: one flush of it keeps them.
    if (dir >= 0) {
      if (synced) sys_.fsync(dir);
      sys_.close(dir);
    }
  }
}

std::unique_ptr<FileSystem> openFileSystem(std::string root) {
  return std::make_unique<PosixFileSystem>(std::move(root));
}

bool PosixFileSystem::touch(std::string_view logicalName) {
  const auto path = followLinks(pathOf(logicalName));
  if (!path) return false;
  const int fd = sys_.open(path->c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  sys_.close(fd);
  return true;
}

}  // namespace orvenda
