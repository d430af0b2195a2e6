// Win32 console I/O for the console model. Cells go out as Unicode through the CP737
// table; keys come in as CP737 bytes, the console's input code page.
#include "console/windows_console_backend.h"

#include <windows.h>

#include <cstdlib>
#include <deque>
#include <vector>

#include "console/cp737.h"

namespace orvenda {

struct WindowsConsoleBackend::Handles {
  HANDLE in = INVALID_HANDLE_VALUE;
  HANDLE out = INVALID_HANDLE_VALUE;
  UINT savedOutputCp = 0;
  UINT savedInputCp = 0;
  DWORD savedInputMode = 0;
  CONSOLE_CURSOR_INFO savedCursor{};
  std::deque<KeyEvent> pending;
  bool lost = false;
};

namespace {

WindowsConsoleBackend::Handles* g_handles = nullptr;

void restoreConsole() {
  if (g_handles == nullptr) return;
  SetConsoleOutputCP(g_handles->savedOutputCp);
  SetConsoleCP(g_handles->savedInputCp);
  SetConsoleMode(g_handles->in, g_handles->savedInputMode);
  SetConsoleCursorInfo(g_handles->out, &g_handles->savedCursor);
}

BOOL WINAPI onConsoleClose(DWORD) {
  restoreConsole();
  return FALSE;  // the default handler ends the process
}

}  // namespace

int extendedCodeOf(unsigned vk, unsigned long state) {
  NamedKey key;
  if (vk >= VK_F1 && vk <= VK_F12) {
    key = static_cast<NamedKey>(vk - VK_F1);
  } else {
    switch (vk) {
      case VK_HOME: key = NamedKey::Home; break;
      case VK_UP: key = NamedKey::Up; break;
      case VK_PRIOR: key = NamedKey::PageUp; break;
      case VK_LEFT: key = NamedKey::Left; break;
      case VK_RIGHT: key = NamedKey::Right; break;
      case VK_END: key = NamedKey::End; break;
      case VK_DOWN: key = NamedKey::Down; break;
      case VK_NEXT: key = NamedKey::PageDown; break;
      case VK_INSERT: key = NamedKey::Insert; break;
      case VK_DELETE: key = NamedKey::Delete; break;
      default: return 0;
    }
  }
  unsigned mods = 0;
  if (state & SHIFT_PRESSED) mods |= kShift;
  if (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) mods |= kCtrl;
  if (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) mods |= kAlt;
  return extendedCode(key, mods);
}

std::unique_ptr<WindowsConsoleBackend> WindowsConsoleBackend::open(std::string& error) {
  auto h = std::make_unique<Handles>();
  h->in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
  h->out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (h->in == INVALID_HANDLE_VALUE || h->out == INVALID_HANDLE_VALUE ||
      !GetConsoleScreenBufferInfo(h->out, &info)) {
    error = "no console to run in";
    return nullptr;
  }
  h->savedOutputCp = GetConsoleOutputCP();
  h->savedInputCp = GetConsoleCP();
  GetConsoleMode(h->in, &h->savedInputMode);
  GetConsoleCursorInfo(h->out, &h->savedCursor);
  // The Greek texts are CP737 bytes, and Greek letters typed at the prompts arrive as them.
  SetConsoleOutputCP(737);
  SetConsoleCP(737);
  g_handles = h.get();
  std::atexit(restoreConsole);
  SetConsoleCtrlHandler(onConsoleClose, TRUE);
  return std::unique_ptr<WindowsConsoleBackend>(new WindowsConsoleBackend(std::move(h)));
}

WindowsConsoleBackend::WindowsConsoleBackend(std::unique_ptr<Handles> handles)
    : h_(std::move(handles)) {}

WindowsConsoleBackend::~WindowsConsoleBackend() {
  restoreConsole();
  g_handles = nullptr;
  CloseHandle(h_->in);
  CloseHandle(h_->out);
}

void WindowsConsoleBackend::present(const ConsoleFrame& frame) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(h_->out, &info)) {
    h_->lost = true;
    return;
  }
  // The 80 x 25 screen stands at the top-left of the console window.
  const SHORT left = info.srWindow.Left, top = info.srWindow.Top;
  const int cols = std::min(80, info.srWindow.Right - info.srWindow.Left + 1);
  const int rows = std::min(25, info.srWindow.Bottom - info.srWindow.Top + 1);
  std::vector<CHAR_INFO> run;
  for (int r = 1; r <= rows; ++r) {
    int c = 1;
    while (c <= cols) {
      if (front_ && frame.grid.at(c, r) == front_->at(c, r)) {
        ++c;
        continue;
      }
      const int start = c;
      run.clear();
      while (c <= cols && !(front_ && frame.grid.at(c, r) == front_->at(c, r))) {
        CHAR_INFO ci{};
        // Through the program's own table, not the console's code page: CP737 maps the
        // arrows 24..27 to control characters, which a console without the OEM raster font
        // (Windows Terminal, wine) shows as nothing.
        ci.Char.UnicodeChar = static_cast<WCHAR>(kCp737ToUnicode[frame.grid.at(c, r).ch]);
        // The console's attribute byte has the model's layout bit for bit.
        ci.Attributes = frame.grid.at(c, r).attr;
        run.push_back(ci);
        ++c;
      }
      SMALL_RECT area{static_cast<SHORT>(left + start - 1), static_cast<SHORT>(top + r - 1),
                      static_cast<SHORT>(left + c - 2), static_cast<SHORT>(top + r - 1)};
      WriteConsoleOutputW(h_->out, run.data(), COORD{static_cast<SHORT>(run.size()), 1},
                          COORD{0, 0}, &area);
    }
  }
  if (front_)
    *front_ = frame.grid;
  else
    front_.emplace(frame.grid);
  SetConsoleTextAttribute(h_->out, frame.consoleAttr);
  SetConsoleCursorPosition(h_->out, COORD{static_cast<SHORT>(left + frame.cursor.column - 1),
                                          static_cast<SHORT>(top + frame.cursor.row - 1)});
  CONSOLE_CURSOR_INFO cursor = h_->savedCursor;
  cursor.bVisible = frame.cursorVisible ? TRUE : FALSE;
  if (cursor.dwSize == 0) cursor.dwSize = 25;
  SetConsoleCursorInfo(h_->out, &cursor);
}

InputEvent WindowsConsoleBackend::waitKey() {
  if (!h_->pending.empty()) {
    const KeyEvent k = h_->pending.front();
    h_->pending.pop_front();
    return InputEvent{InputEvent::Kind::Key, k};
  }
  // No line editing and no Ctrl+C handling while a key is awaited: Ctrl+C is code 3.
  SetConsoleMode(h_->in, 0);
  InputEvent result{InputEvent::Kind::Lost, {}};
  while (!h_->lost) {
    INPUT_RECORD rec{};
    DWORD n = 0;
    if (!ReadConsoleInputA(h_->in, &rec, 1, &n)) {
      h_->lost = true;
      break;
    }
    if (n == 0) continue;
    if (rec.EventType == WINDOW_BUFFER_SIZE_EVENT) {
      front_.reset();  // repaint whole on the next frame
      continue;
    }
    if (rec.EventType != KEY_EVENT || !rec.Event.KeyEvent.bKeyDown) continue;
    const KEY_EVENT_RECORD& k = rec.Event.KeyEvent;
    KeyEvent key;
    auto ch = static_cast<unsigned char>(k.uChar.AsciiChar);
    // Some consoles (wine's among them) leave the character of these keys out.
    if (ch == 0) {
      switch (k.wVirtualKeyCode) {
        case VK_ESCAPE: ch = 27; break;
        case VK_RETURN: ch = 13; break;
        case VK_BACK: ch = 8; break;
        case VK_TAB: ch = 9; break;
        default: break;
      }
    }
    if (ch != 0) {
      key = charKey(ch);
    } else {
      const int code = extendedCodeOf(k.wVirtualKeyCode, k.dwControlKeyState);
      if (code == 0) continue;
      key = extendedKey(static_cast<std::uint8_t>(code));
    }
    for (WORD i = 1; i < k.wRepeatCount; ++i) h_->pending.push_back(key);
    result = InputEvent{InputEvent::Kind::Key, key};
    break;
  }
  SetConsoleMode(h_->in, h_->savedInputMode);
  return result;
}

void WindowsConsoleBackend::bell() { Beep(3000, 100); }

}  // namespace orvenda
