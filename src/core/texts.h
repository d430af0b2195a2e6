// The main screen's and the chart store's texts in English and Greek (CP737), and the
// shared word tables. Greek is written here in Greek letters and becomes CP737 bytes at
// compile time.
#pragma once

#include "console/cp1253.h"
#include "console/cp737.h"
#include "console/word_table.h"

namespace orvenda::texts {

// ---- shared word tables, picked by the setting's value ------------------------------------
inline constexpr auto kTimeModeEn = wordTable<10>("known", "un-known");
inline constexpr auto kTimeModeEl = wordTable<10>("Γνωστή", "Αγνωστη");
inline constexpr auto kNoYesEn = wordTable<5>("No", "Yes");
inline constexpr auto kNoYesEl = wordTable<5>("Οχι", "Ναι");
inline constexpr auto kRulersEn = wordTable<10>("No", "Yes", "Mixed");
inline constexpr auto kRulersEl = wordTable<10>("Οχι", "Ναι", "Ανάμικτοι");
inline constexpr auto kSexEn = wordTable<11>("Required", "Man", "Woman");
inline constexpr auto kSexEl = wordTable<11>("Απαραίτητο", "Ανδρας", "Γυναίκα");
inline constexpr auto kLanguageEn = wordTable<12>("", "");
inline constexpr auto kLanguageEl = wordTable<12>("Αγγλικά", "Ελληνικά");
inline constexpr auto kFieldLabelsEn =
    wordTable<9>("Day", "Mon", "Year", "Hour", "Min", "Sec", "GMT", "min", "LON", "Min", "Sec",
                 "LAT", "Min", "Sec");
inline constexpr auto kFieldLabelsEl =
    wordTable<9>("Ημέ", "Μήν", "Ετος", "Ωρα", "Λεπ", "Δευ", "GMT", "Λεπ", "Μήκ", "Λεπ", "Δευ",
                 "Πλά", "Λεπ", "Δευ");

// ---- main screen ---------------------------------------------------------------------------
inline constexpr char kMenuEn[] =
    "Open\n\rSave\n\rRead/Print\n\rName\n\rChart for Now\n\r\n\r\n\r\n\rF1-Help\n\rF4-About"
    "\n\r\n\rEsc-Exit";
inline constexpr auto kMenuEl = cp737(
    "Ανοιξε\n\rΣώσε\n\rR-Διάβασε/Τύπωσε\n\rΟνομα\n\rΗμερομηνία/Ωρα Τώρα\n\r"
    "F6-Γλώσσα Προγράμματος\n\rF7-Γλώσσα Ωροσκοπίων\n\r\n\rF1-Βοήθεια\n\rF4-Περί\n\r\n\r"
    "Esc-Εξοδος");
inline constexpr char kHeadingEn[] = "Configuration Settings\n\r\n\rAspects\n\rPlanets";
inline constexpr auto kHeadingEl = cp737("Διαμόρφωση\n\r\n\rΟψεις\n\rΠλανήτες");
inline constexpr auto kPsi = cp737("ψ");
inline constexpr auto kLambda = cp737("λ");
inline constexpr auto kSigma = cp737("Σ");
inline constexpr auto kNu = cp737("ν");
inline constexpr char kLabelsEn[] =
    "Borderline:\n\rZodiac Rulers Always:\n\rBorderline Interpretation:\n\rChange Rulers:";
inline constexpr auto kLabelsEl =
    cp737("Μεταίχμιο:\n\rΖωδιακοί Κυβερνήτες Πάντα:\n\rΕρμηνείες Ακμής:\n\rU-Αλλαξε Κυβερνήτες:");
inline constexpr char kFooterEn[] = "No mouse, use your keyboard\n\rturned to english language";
inline constexpr auto kFooterEl = cp737("Χρησιμοποίησε το πληκτρολόγιο\n\rγυρισμένο στα αγγλικά");
// The rights notice on the bottom line, the same in both languages; it must stay within
// 75 columns, as the 76th would wrap the one-row window and clear it.
inline constexpr char kRightsNotice[] =
    "Orvenda (c) 2026 The Orvenda authors. All rights reserved.";
inline constexpr char kKeyStripEn[] =
    "F2-Time:                  F3-Longitude, Latitude\n\r"
    "F5-Sex :                  F8-Save Longitude Latitude";
inline constexpr auto kKeyStripEl = cp737(
    "F2-Ωρα :                  F3-Γεωγραφικό Μήκος και Πλάτος\n\r"
    "F5-Φύλο:                  F8-Σώσε Μήκος Πλάτος");
inline constexpr char kGenderEn[] = "Press F5 to choose gender";
inline constexpr auto kGenderEl = cp737("Πιέστε F5 για να διαλέξετε φύλο");

// ---- chart store ----------------------------------------------------------------------------
inline constexpr char kNoFileEn[] = "There is no file with that name, press any key to continue...";
inline constexpr auto kNoFileEl =
    cp737("Δεν υπάρχει τέτοιο αρχείο, πιέστε ένα πλήκτρο για συνέχεια...");
inline constexpr char kSavePrompt[] = "Save File: ";
inline constexpr char kOpenPrompt[] = "Open File: ";

// ---- the birth-data summary (HTML, Windows-1253) -------------------------------------------
struct SummaryLabels {
  const char* date;
  const char* time;
  const char* gmt;
  const char* longitude;
  const char* latitude;
};
inline constexpr SummaryLabels kSummaryEn = {
    "<br>Birth Date: ", "<br>Birth Time: ", "<br>GMT: ", "<br>Longitude: ", "<br>Latitude: "};
inline constexpr auto kSummaryDateEl = cp1253("<br>Ημερομηνία Γέννησης: ");
inline constexpr auto kSummaryTimeEl = cp1253("<br>Ώρα Γέννησης: ");
inline constexpr auto kSummaryLonEl = cp1253("<br>Γεωγραφικό Μήκος: ");
inline constexpr auto kSummaryLatEl = cp1253("<br>Γεωγραφικό Πλάτος: ");
inline constexpr SummaryLabels kSummaryEl = {kSummaryDateEl.c_str(), kSummaryTimeEl.c_str(),
                                             "<br>GMT: ", kSummaryLonEl.c_str(),
                                             kSummaryLatEl.c_str()};

}  // namespace orvenda::texts
