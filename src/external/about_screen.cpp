// The About screens' texts and their key loop.
#include "external/about_screen.h"

#include <string_view>

#include "console/console_screen.h"
#include "console/cp737.h"
#include "external/links.h"
#include "external/shell_launcher.h"

namespace orvenda {
namespace {

// ---- English ---------------------------------------------------------------------------------
constexpr char kVersionEn[] = "\n\r Orvenda 1.2\n\r\n\r";
constexpr char kRightsEn[] = " Copyright (C) 2026 The Orvenda authors. All rights reserved.\n\r";
// Nine lines; the second and the first are longer than 80 columns and wrap, so the
// paragraph takes rows 7 to 17 and the key line lands on row 23.
constexpr char kTermsEn[] =
    "\n\r\n\r"
    " This program is provided as it is, without any warranty of any kind, express or implied."
    "\n\r"
    " You may use it to prepare and keep the birth data of natal charts for yourself and for "
    "your clients, free of charge.\n\r"
    " You may copy it and give it to others, as long as this notice stays with it.\n\r"
    " You may not sell it or present it as your own work.\n\r"
    " The authors are not liable for any loss or damage that comes from its use.\n\r"
    " Charts and settings are kept in the folders NAMES and settings.\n\r"
    " Keep copies of them: the program never deletes a chart, but disks do fail.\n\r"
    " Using the program means that you accept these terms.\n\r"
    " Thank you for using Orvenda.";
constexpr char kKeyLineEn[] = "\n\r\n\r\n\r\n\r\n\r\n\r Homepage, Feedback\n\r\n\r Esc-Back";

// ---- Greek -----------------------------------------------------------------------------------
constexpr char kVersionEl[] = "\n\r Orvenda 0.5\n\r\n\r";
constexpr auto kRightsEl =
    cp737(" Copyright (C) 2026 Οι δημιουργοί του Orvenda. Με επιφύλαξη παντός δικαιώματος.\n\r");
// One paragraph of 877 characters with no line break: from column 2 of row 6 the console
// wraps it through row 16.
constexpr auto kTermsEl = cp737(
    "Το πρόγραμμα αυτό δίνεται όπως είναι, χωρίς καμία εγγύηση, ρητή ή σιωπηρή. "
    "Μπορείτε να το χρησιμοποιείτε ελεύθερα για να ετοιμάζετε και να φυλάτε τα στοιχεία "
    "γέννησης των γενεθλίων χαρτών, για εσάς και για τους πελάτες σας, χωρίς καμία χρέωση. "
    "Μπορείτε να το αντιγράφετε και να το δίνετε σε άλλους, αρκεί να το συνοδεύει πάντα αυτό "
    "το σημείωμα. Δεν επιτρέπεται να το πουλάτε ούτε να το παρουσιάζετε ως δικό σας έργο. "
    "Οι δημιουργοί του δεν ευθύνονται για καμία απώλεια ή ζημιά που μπορεί να προκύψει από τη "
    "χρήση του. Οι χάρτες και οι ρυθμίσεις φυλάσσονται στους φακέλους NAMES και settings, "
    "δίπλα στο πρόγραμμα. Κρατάτε αντίγραφά τους: το πρόγραμμα δεν σβήνει ποτέ κανέναν χάρτη, "
    "οι δίσκοι όμως χαλάνε. Για βοήθεια πιέστε F1 στην κεντρική οθόνη του προγράμματος. "
    "Η χρήση του προγράμματος σημαίνει ότι αποδέχεστε αυτούς τους όρους. "
    "Σας ευχαριστούμε που χρησιμοποιείτε το Orvenda");
static_assert(kTermsEl.length == 877, "the Greek terms fill rows 6 to 16");
constexpr char kKeyLineEl[] = "\n\r\n\r\n\r\n\r\n\r Homepage, Feedback\n\r\n\r Esc-Back";

}  // namespace

std::string homepageCommand(int language) {
  return std::string("start ") + (language == 1 ? links::kHomepageEl : links::kHomepageEn);
}

std::string feedbackCommand(int language) {
  if (language == 1)
    return std::string("start mailto:") + links::kFeedbackEmail + "?subject=Orvenda";
  return std::string("start ") + links::kContactPage;
}

AboutScreen::AboutScreen(int language, ConsoleScreen& console, ShellLauncher& shell,
                         std::function<void()> parkCursor)
    : language_(language), con_(console), shell_(shell), parkCursor_(std::move(parkCursor)) {}

void AboutScreen::draw() {
  con_.setWindow(1, 1, 80, 25);
  con_.setTextBackground(143);
  con_.setTextColor(143);
  con_.clearWindow();
  con_.setTextColor(129);
  if (language_ == 1) {
    con_.writeText(kVersionEl);
    con_.writeText(kRightsEl);
    // The paragraph lives in a 1200-byte field; the format puts it after a blank.
    char field[1200] = {};
    std::copy(kTermsEl.bytes, kTermsEl.bytes + kTermsEl.length, field);
    con_.writeFormatted("\n\r %s\n\r\n\r", field);
    con_.writeText(kKeyLineEl);
  } else {
    con_.writeText(kVersionEn);
    con_.writeText(kRightsEn);
    con_.writeText(kTermsEn);
    con_.writeText(kKeyLineEn);
  }
  con_.moveCursor(2, 23);
  con_.setTextColor(140);
  con_.writeText("H");
  con_.moveCursor(12, 23);
  con_.writeText("F\n\r\n\r Esc");
  parkCursor_();
}

void AboutScreen::runUntilEscape() {
  for (;;) {
    switch (static_cast<signed char>(con_.readKey())) {
      case 27: return;
      case 'H':
      case 'h': shell_.runCommand(homepageCommand(language_)); break;
      case 'F':
      case 'f': shell_.runCommand(feedbackCommand(language_)); break;
      default: break;
    }
  }
}

}  // namespace orvenda
