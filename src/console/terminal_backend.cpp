// Raw terminal I/O, the undo stack of terminal modes, and the signal handling that keeps
// the user's terminal intact however the program ends.
#include "console/terminal_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace orvenda {
namespace {

// ---- process-wide terminal state --------------------------------------------------------
// Signal handlers can only reach globals; everything here is set up before the handlers
// are installed and read by them with async-signal-safe calls only.

struct TerminalState {
  int fd = -1;
  termios saved{};
  termios raw{};
  // Each change to the terminal pushes the bytes that make it and the bytes that undo it.
  // Undo runs them in reverse; redo (after a suspension) runs them again in order.
  char enterSeq[256]{};
  std::size_t enterLen = 0;
  char leaveSeq[256]{};
  std::size_t leaveLen = 0;
  volatile sig_atomic_t active = 0;  // the terminal is in the program's modes now
  volatile sig_atomic_t resized = 0;
  volatile sig_atomic_t continued = 0;
  volatile sig_atomic_t handedOver = 0;  // another program (an editor) has the terminal
  int wakePipe[2] = {-1, -1};
};

TerminalState g_term;

void writeRaw(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

void pushChange(const char* enter, const char* leave) {
  const std::size_t e = std::strlen(enter), l = std::strlen(leave);
  std::memcpy(g_term.enterSeq + g_term.enterLen, enter, e);
  g_term.enterLen += e;
  // The undo bytes are kept in reverse order of the changes.
  std::memmove(g_term.leaveSeq + l, g_term.leaveSeq, g_term.leaveLen);
  std::memcpy(g_term.leaveSeq, leave, l);
  g_term.leaveLen += l;
}

// Async-signal-safe: puts the terminal back as the user had it.
void leaveTerminal(bool cancelSequence) {
  if (!g_term.active) return;
  g_term.active = 0;
  // CAN ends any escape sequence that a signal may have cut in half.
  if (cancelSequence) writeRaw(g_term.fd, "\x18", 1);
  writeRaw(g_term.fd, "\x1b[0m", 4);
  writeRaw(g_term.fd, g_term.leaveSeq, g_term.leaveLen);
  ::tcsetattr(g_term.fd, TCSAFLUSH, &g_term.saved);
}

// Async-signal-safe: takes the terminal into the program's modes again.
void enterTerminal() {
  if (g_term.active) return;
  ::tcsetattr(g_term.fd, TCSAFLUSH, &g_term.raw);
  writeRaw(g_term.fd, g_term.enterSeq, g_term.enterLen);
  g_term.active = 1;
}

void wake() {
  if (g_term.wakePipe[1] >= 0) {
    const char b = 1;
    [[maybe_unused]] const ssize_t w = ::write(g_term.wakePipe[1], &b, 1);
  }
}

struct sigaction g_previous[NSIG];

void onTerminatingSignal(int sig) {
  const int savedErrno = errno;
  leaveTerminal(true);
  // Die of the same signal, through whatever handled it before (a sanitizer's report,
  // or the default action), so the parent sees the real cause.
  ::sigaction(sig, &g_previous[sig], nullptr);
  ::raise(sig);
  errno = savedErrno;
}

// A process group whose members have no parent in the session outside the group (the
// program run as a terminal's own command: xterm -e, tmux new-session, a launcher) is
// orphaned, and the kernel throws away every stop sent to it.
bool surelyOrphaned() {
  const pid_t parent = ::getppid();
  return parent == 1 || ::getsid(parent) != ::getsid(0);
}

void installHandler(int sig, void (*handler)(int), int flags);

// Async-signal-safe: whether the program's process group has the terminal now.
// A terminal that can't say (no foreground group) is taken as ours, as before.
bool inForeground() {
  const pid_t group = ::tcgetpgrp(g_term.fd);
  return group < 0 || group == ::getpgrp();
}

// Async-signal-safe. A program in the background leaves the terminal alone: it stops, as
// the kernel stops a background job that reads, until a shell brings it to the
// foreground (fg sends SIGCONT, and the check is made again). Nothing can bring an
// orphaned group forward, so one never waits: false, and the terminal stays untouched.
bool waitForForeground() {
  while (!inForeground()) {
    if (surelyOrphaned()) return false;
    ::kill(0, SIGTTIN);  // stops the whole group here, as a read would
  }
  return true;
}

// Async-signal-safe: takes the terminal back after a stop, in the program's modes and
// with the whole frame to be drawn again.
void takeTerminalBack() {
  if (g_term.active || g_term.handedOver || !waitForForeground()) return;
  enterTerminal();
  g_term.continued = 1;
  wake();
}

void onSuspend(int) {
  const int savedErrno = errno;
  // Nothing could bring a stopped program back here: it stays on its screen, working.
  if (surelyOrphaned()) {
    errno = savedErrno;
    return;
  }
  leaveTerminal(true);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  ::sigemptyset(&dfl.sa_mask);
  ::sigaction(SIGTSTP, &dfl, nullptr);
  // Delivered before raise returns: the process stops here, and SIGCONT's handler takes
  // the terminal back. A stop the kernel threw away returns at once, still without the
  // terminal, and the screen is taken back here instead.
  sigset_t tstp;
  ::sigemptyset(&tstp);
  ::sigaddset(&tstp, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
  ::raise(SIGTSTP);
  installHandler(SIGTSTP, onSuspend, SA_RESTART);
  takeTerminalBack();
  errno = savedErrno;
}

// Whatever stopped the program (Ctrl+Z, kill -STOP, a stop for reading in the
// background), the shell has had the terminal since and set its own modes: each SIGCONT
// takes the terminal back whole and repaints every cell, once the program is in the
// foreground. After bg it stops again rather than draw over the shell.
void onContinue(int) {
  const int savedErrno = errno;
  installHandler(SIGTSTP, onSuspend, SA_RESTART);
  if (!g_term.handedOver) g_term.active = 0;
  takeTerminalBack();
  errno = savedErrno;
}

void onResize(int) {
  const int savedErrno = errno;
  g_term.resized = 1;
  wake();
  errno = savedErrno;
}

void installHandler(int sig, void (*handler)(int), int flags) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  ::sigemptyset(&sa.sa_mask);
  sa.sa_flags = flags;
  ::sigaction(sig, &sa, nullptr);
}

void installSignals() {
  for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    struct sigaction sa {};
    sa.sa_handler = onTerminatingSignal;
    ::sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    ::sigaction(sig, &sa, &g_previous[sig]);
    // A signal that was ignored when we started (nohup) stays ignored.
    if (g_previous[sig].sa_handler == SIG_IGN) ::sigaction(sig, &g_previous[sig], nullptr);
  }
  installHandler(SIGTSTP, onSuspend, SA_RESTART);
  installHandler(SIGCONT, onContinue, SA_RESTART);
  installHandler(SIGWINCH, onResize, SA_RESTART);
  installHandler(SIGPIPE, SIG_IGN, 0);
  // Output to a terminal that was taken away must not stop the process either.
  installHandler(SIGTTOU, SIG_IGN, 0);
}

void restoreAtExit() { leaveTerminal(false); }

long long nowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::unique_ptr<TerminalBackend> TerminalBackend::open(std::string& error) {
  if (g_term.fd >= 0) {
    error = "the terminal is already in use";
    return nullptr;
  }
  // A terminal that says it can't place the cursor would show the escape sequences of
  // every frame as text.
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == '\0' || std::strcmp(term, "dumb") == 0) {
    error = std::string(term == nullptr || *term == '\0' ? "TERM is not set" : "TERM is \"dumb\"") +
            ", so this terminal can't place the cursor, and Orvenda draws an 80 x 25 "
            "screen; run it in a terminal that can (xterm, a Linux console, tmux), or set "
            "TERM to the kind of terminal this is (TERM=xterm-256color)";
    return nullptr;
  }
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("no terminal to run in (/dev/tty: ") + std::strerror(errno) + ")";
    return nullptr;
  }
  termios saved{};
  if (::tcgetattr(fd, &saved) != 0) {
    error = std::string("/dev/tty is not a terminal: ") + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  g_term.fd = fd;
  // Started in the background (orvenda &): the terminal is left alone until the shell's fg.
  if (!waitForForeground()) {
    error =
        "the terminal belongs to another program, and nothing can bring this one to the "
        "foreground (started in the background of a shell that has ended)";
    g_term.fd = -1;
    ::close(fd);
    return nullptr;
  }
  // The modes the shell gives its foreground job, not its line editor's of the moment.
  ::tcgetattr(fd, &saved);
  g_term.saved = saved;
  termios raw = saved;
  // Raw input, but Ctrl+Z still suspends as in any terminal program. Ctrl+C and
  // Ctrl+Backslash are keys like any other (codes 3 and 28): they send no signal.
  raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON | INLCR | IGNCR);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_cflag |= CS8;
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
  raw.c_lflag |= ISIG;
  raw.c_cc[VINTR] = _POSIX_VDISABLE;
  raw.c_cc[VQUIT] = _POSIX_VDISABLE;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  g_term.raw = raw;
  // Alternate screen, no autowrap (the bottom-right cell must not scroll), cursor hidden
  // until a prompt shows it.
  pushChange("\x1b[?1049h", "\x1b[?1049l");
  pushChange("\x1b[?7l", "\x1b[?7h");
  pushChange("\x1b[?25l", "\x1b[?25h");
  if (::pipe2(g_term.wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) g_term.wakePipe[0] = -1;
  std::atexit(restoreAtExit);
  installSignals();
  enterTerminal();
  return std::unique_ptr<TerminalBackend>(new TerminalBackend(fd));
}

TerminalBackend::TerminalBackend(int fd) : fd_(fd) {
  const char* term = std::getenv("TERM");
  encoder_ = FrameEncoder(term != nullptr && std::strcmp(term, "linux") == 0);
  updateSize();
}

TerminalBackend::~TerminalBackend() {
  leaveTerminal(false);
  ::close(fd_);
  for (int& p : g_term.wakePipe) {
    if (p >= 0) ::close(p);
    p = -1;
  }
  g_term.fd = -1;
  g_term.enterLen = g_term.leaveLen = 0;
}

void TerminalBackend::updateSize() {
  winsize ws{};
  if (::ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0)
    encoder_.setTerminalSize(ws.ws_col, ws.ws_row);
}

bool TerminalBackend::writeAll(const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t n = bytes.size();
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd pfd{fd_, POLLOUT, 0};
        ::poll(&pfd, 1, 1000);
        continue;
      }
      lost_ = true;  // EIO, ENXIO: the terminal is gone
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

void TerminalBackend::present(const ConsoleFrame& frame) {
  if (!lastGrid_)
    lastGrid_.emplace(frame.grid);
  else
    *lastGrid_ = frame.grid;
  lastCursor_ = frame.cursor;
  lastCursorVisible_ = frame.cursorVisible;
  lastConsoleAttr_ = frame.consoleAttr;
  if (lost_ || !g_term.active) return;
  out_.clear();
  encoder_.encode(frame, out_);
  if (!out_.empty()) writeAll(out_);
}

void TerminalBackend::repaint() {
  encoder_.invalidate();
  if (lastGrid_)
    present(ConsoleFrame{*lastGrid_, lastCursor_, lastCursorVisible_, lastConsoleAttr_});
}

InputEvent TerminalBackend::waitKey() {
  for (;;) {
    // Back from a stop: the terminal threw away what was typed ahead, and what had been
    // read of it goes too (half a sequence would end as an Escape).
    if (g_term.continued) decoder_.forgetTypeAhead();
    if (decoder_.hasEvent()) return InputEvent{InputEvent::Kind::Key, decoder_.nextEvent()};
    if (lost_) return InputEvent{InputEvent::Kind::Lost, {}};
    if (g_term.resized || g_term.continued) {
      g_term.resized = 0;
      g_term.continued = 0;
      updateSize();
      repaint();
      continue;
    }
    pollfd fds[2] = {{fd_, POLLIN, 0}, {g_term.wakePipe[0], POLLIN, 0}};
    const int timeout = decoder_.waiting() ? decoder_.msUntilTimeout() : -1;
    const long long start = nowMs();
    const int rc = ::poll(fds, g_term.wakePipe[0] >= 0 ? 2 : 1, timeout);
    const int waited = static_cast<int>(nowMs() - start);
    if (rc < 0) {
      if (errno != EINTR && errno != EAGAIN) lost_ = true;
      decoder_.elapsed(waited);
      continue;
    }
    if (rc == 0) {
      decoder_.elapsed(waited > timeout ? waited : timeout);
      continue;
    }
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (::read(g_term.wakePipe[0], drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLIN) {
      char buf[512];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n > 0) {
        decoder_.feed(std::string_view(buf, static_cast<std::size_t>(n)));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        lost_ = true;  // end of input, hang-up, EIO
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      lost_ = true;
    } else {
      decoder_.elapsed(waited);
    }
  }
}

void TerminalBackend::bell() {
  if (!lost_ && g_term.active) writeAll("\a");
}

void TerminalBackend::suspend() {
  // As system() does: while the other program runs, Ctrl+C and Ctrl+Backslash are its
  // business. Ignored before the terminal leaves raw mode, so none typed ahead lands here.
  installHandler(SIGINT, SIG_IGN, 0);
  installHandler(SIGQUIT, SIG_IGN, 0);
  g_term.handedOver = 1;
  leaveTerminal(false);
  // An Escape left waiting for the rest of its sequence would otherwise end the program
  // once it is back: the rest was typed ahead, and leaving the terminal threw it away.
  decoder_.forgetTypeAhead();
}

void TerminalBackend::resume() {
  // Raw mode first: until then Ctrl+C and Ctrl+Backslash typed ahead would be signals.
  g_term.handedOver = 0;
  enterTerminal();
  for (int sig : {SIGINT, SIGQUIT}) {
    if (g_previous[sig].sa_handler == SIG_IGN) continue;  // ignored from the start
    struct sigaction sa {};
    sa.sa_handler = onTerminatingSignal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(sig, &sa, nullptr);
  }
  updateSize();
  repaint();
}

}  // namespace orvenda
