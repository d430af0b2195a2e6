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
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>

namespace orvenda {
namespace {

constexpr std::string_view kTempMark = "\xE2\x80\xA3";  // "‣", between the parts of the name

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that a chain of symbolic links ends at (the path itself when it is none).
std::string followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof buf)) break;
    const std::string target(buf, static_cast<std::size_t>(n));
    path = target[0] == '/' ? target : folderOf(path) + target;
  }
  return path;
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

// The writer's process id, when the name is one of our temporaries.
std::optional<pid_t> writerOf(std::string_view name) {
  const std::string_view prefix = kTempPrefix;
  if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
  name.remove_prefix(prefix.size());
  const auto mark = name.find(kTempMark);
  if (mark == std::string_view::npos || mark == 0) return std::nullopt;
  long pid = 0;
  const auto r = std::from_chars(name.data(), name.data() + mark, pid);
  if (r.ptr != name.data() + mark || pid <= 0 || pid > INT_MAX) return std::nullopt;
  const std::string_view rest = name.substr(mark + kTempMark.size());
  if (rest.empty() || rest.find_first_not_of("0123456789abcdef") != std::string_view::npos)
    return std::nullopt;
  return static_cast<pid_t>(pid);
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

}  // namespace

bool isTemporaryName(std::string_view fileName) { return writerOf(fileName).has_value(); }

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
  };
}

PosixFileSystem::PosixFileSystem(std::string root, Syscalls calls)
    : root_(std::move(root)), sys_(calls) {}

std::string PosixFileSystem::pathOf(std::string_view logicalName) const {
  std::string p = platformPath(logicalName);
  if (root_.empty() || root_ == "." || (!p.empty() && p[0] == '/')) return p;
  return root_ + "/" + p;
}

std::optional<std::vector<std::uint8_t>> PosixFileSystem::read(std::string_view logicalName,
                                                               std::size_t maxBytes) {
  const std::string path = pathOf(logicalName);
  const int fd = sys_.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    sys_.close(fd);
    return std::nullopt;
  }
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
// behind. One that is still alive holds a lock on it, and its process exists; only a
// temporary with neither is removed, and only if it is still the file that was checked.
void PosixFileSystem::sweepOnce(const std::string& folder) {
  if (!swept_.insert(folder).second) return;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const auto writer = writerOf(entry->d_name);
    if (!writer) continue;
    if (*writer != ::getpid() && (::kill(*writer, 0) == 0 || errno != ESRCH)) continue;
    const std::string path = folder + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat opened {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        S_ISREG(opened.st_mode) && ::lstat(path.c_str(), &named) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
      sys_.unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

bool PosixFileSystem::writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
  // Written over and then cut to length, so that the file is never seen empty.
  const int fd = sys_.open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAll(fd, bytes) &&
            sys_.ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && sys_.fsync(fd) == 0;
  if (sys_.close(fd) != 0) ok = false;
  return ok;
}

bool PosixFileSystem::write(std::string_view logicalName, std::span<const std::uint8_t> bytes) {
  const std::string path = followLinks(pathOf(logicalName));
  // A target the user may not write stays as it is, as a plain "wb" open would fail.
  const bool exists = sys_.access(path.c_str(), F_OK) == 0;
  if (exists && sys_.access(path.c_str(), W_OK) != 0) return false;
  struct stat st {};
  const bool hadMode = ::stat(path.c_str(), &st) == 0;
  if (hadMode && S_ISDIR(st.st_mode)) return false;
  const std::string folder = folderOf(path);
  sweepOnce(folder);

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
      return writeInPlace(path, bytes);
    return false;
  }
  // A second open file holds the lock until the rename, so that a sweep in another copy
  // of the program sees the temporary as in use even after the writing end is closed.
  const int guard = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (guard >= 0) ::flock(guard, LOCK_EX | LOCK_NB);

  bool ok = ::fchmod(fd, hadMode ? (st.st_mode & 07777) : (0666 & ~currentUmask())) == 0;
  ok = ok && writeAll(fd, bytes) && sys_.fsync(fd) == 0;
  if (sys_.close(fd) != 0) ok = false;
  if (ok && sys_.rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) sys_.unlink(temp.c_str());
  if (guard >= 0) ::close(guard);
  return ok;
}

std::unique_ptr<FileSystem> openFileSystem(std::string root) {
  return std::make_unique<PosixFileSystem>(std::move(root));
}

bool PosixFileSystem::touch(std::string_view logicalName) {
  const std::string path = pathOf(logicalName);
  const int fd = sys_.open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  sys_.close(fd);
  return true;
}

}  // namespace orvenda
