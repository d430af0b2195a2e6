// The program's shared state and services, and the steps every screen uses: parking the
// cursor, the console colours, the failure message, and the ways into the main screen.
#pragma once

#include <functional>
#include <string>

#include "birth/birth_record.h"
#include "birth/chart_store.h"
#include "config/settings_store.h"
#include "core/app_state.h"
#include "core/navigator.h"

namespace orvenda {

class ConsoleScreen;
class FileSystem;
class ShellLauncher;
class Clock;

// The outside world the program runs in. endProcess must not return: it ends the
// process (or, in tests, unwinds to the test).
struct Services {
  ConsoleScreen& console;
  FileSystem& files;
  ShellLauncher& shell;
  Clock& clock;
  std::function<void(int status)> endProcess;
};

class App {
 public:
  explicit App(Services services);

  ConsoleScreen& console;
  FileSystem& files;
  ShellLauncher& shell;
  Clock& clock;
  SettingsStore settings;
  ChartStore charts;
  AppState state;
  BirthRecord record = defaultBirthRecord;
  std::string birthSummary;  // the birth-data text R composed last (Windows-1253 HTML)

  // The cursor waits in the one-cell window at column 80 of row 1.
  void parkCursor();
  // "color f1" and "cls": blue on bright white, empty.
  void applyScreenColours();
  // "color 07", "cls", and the end of the process with status 0.
  [[noreturn]] void exitProgram();
  [[noreturn]] void end(int status);

  // " I can't open that file, press any key to continue": at the cursor of the current
  // window, one key, the window cleared. Where that window could not show it whole (the
  // one-cell window of a waiting screen), the top line shows it instead and gets its
  // contents back after the key, so that the user can read it and the screen stays as
  // it was.
  void reportCantOpen();

  // The Save and Open prompt in the prompt window: the answer, at most capacity - 1
  // bytes. At end of input (no line) the answer is the current chart name.
  std::string askForName(const char* prompt, std::size_t capacity);

  // The six settings the main screen reads on every entry, in their order. False after
  // reporting the first that can't be opened; those read before it keep their values.
  bool readMainScreenSettings();
  // Writes a main-screen setting; false after reporting a failure.
  bool writeSetting(IntSetting setting, std::int32_t value);

  // The ways into the main screen. Each gives the main screen to enter, or null when none
  // is entered (a failure was reported; the caller carries on).
  FramePtr enterMainScreen();  // without reloading the record
  FramePtr loadAndShow();      // the record reloaded from chartPath first
  FramePtr saveUntitled();     // the record saved as "untitled", then loadAndShow
  FramePtr saveChart();        // S: asks for a name, saves, then loadAndShow
  FramePtr openNotes();        // N: the notes file, or loadAndShow without a name

  // Where the main screen's F4, C and L go; set by the program, null while none exists.
  std::function<FramePtr(App&)> aboutScreen;
  std::function<FramePtr(App&)> aspectScreen;
  std::function<FramePtr(App&)> planetScreen;

 private:
  FramePtr loadAndShow(bool mayFallBack);
  FramePtr storeChart(bool mayFallBack);

  std::function<void(int)> endProcess_;
};

// The birth-data text of a record, at most 160 characters, in the horoscope language
// (0 English, 1 Greek in Windows-1253; any other value gives an empty text).
std::string birthSummary(const BirthRecord& record, int horoscopeLanguage);

}  // namespace orvenda
