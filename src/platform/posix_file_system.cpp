// Reading whole blocks and replacing files atomically (temporary file, flush, rename)
// on POSIX systems.
#include "platform/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvenda {

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

bool PosixFileSystem::write(std::string_view logicalName, std::span<const std::uint8_t> bytes) {
  const std::string path = pathOf(logicalName);
  // A target the user may not write stays as it is, as a plain "wb" open would fail.
  if (sys_.access(path.c_str(), F_OK) == 0 && sys_.access(path.c_str(), W_OK) != 0) return false;
  struct stat st {};
  const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
  const std::string temp = path + ".orvenda-new";
  const int fd = sys_.open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = sys_.write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  if (ok && sys_.fsync(fd) != 0) ok = false;
  if (sys_.close(fd) != 0) ok = false;
  if (ok && sys_.rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) sys_.unlink(temp.c_str());
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
