// The texts of the aspect and planet screens in English and Greek (CP737).
#pragma once

#include "console/cp737.h"
#include "console/word_table.h"

namespace orvenda::config_texts {

inline constexpr auto kAspectNamesEn = wordTable<20>(
    " Conjuction", " Opposition", " Square", " Trine", " Sextile", " Inconjunct", " Semisextile",
    " Semisquare", " Sesquiquardate", " Quintile", " Biquintile", " Semiquintile", " Septile",
    " Novile", " Binovile", " Biseptile", " Triseptile", " Quantanovile");
inline constexpr auto kAspectNamesEl = wordTable<20>(
    " Σύνοδος", " Αντίθεση", " Τετράγωνο", " Τρίγωνο", " Εξάγωνο", " Χιαστί", " Ημιεξάγωνο",
    " Ημιτετράγωνο", " ΕνάμισιΤετράγωνο", " Πέμπτο", " Δισπέμπτο", " ΜισόΠέμπτο", " Επτάγωνο",
    " Εννιάγωνο", " ΔιπλόΕννιάγωνο", " ΔιπλόΕπτάγωνο", " ΤριπλόΕπτάγωνο", " ΤετραπλόΕννιάγωνο");

inline constexpr auto kPlanetNamesEn = wordTable<20>(
    " Sun", " Moon", " Mercury", " Venus", " Mars", " Jupiter", " Saturn", " Uranus", " Neptune",
    " Pluto", " Chiron", " Ceres", " Pallas Athena", " Juno", " Vesta", " North Node", " Lilith",
    " Part of Fortune", " Vertex", " East Point", " Ascendant", " Midheaven");
inline constexpr auto kPlanetNamesEl =
    wordTable<20>(" Ηλιος", " Σελήνη", " Ερμής", " Αφροδίτη", " Αρης", " Δίας", " Κρόνος",
                  " Ουρανός", " Ποσειδώνας", " Πλούτωνας", " Χείρων", " Δήμητρα", " Παλλάδα Αθηνά",
                  " Ηρα", " Εστία", " Βόρειος Δεσμός", " Λίλιθ", " Κλήρος Τύχης", " Βέρτεξ",
                  " Ανατολ. Σημείο", " Ωροσκόπος", " Μεσουράνημα");

// Aspect screen labels.
inline constexpr char kAspectTitleEn[] = "Configure Aspects\n\r\n\rSave\n\rEsc-Back";
inline constexpr auto kAspectTitleEl = cp737("Διαμόρφωση Οψεων\n\r\n\rΣώσε\n\rEsc-Επιστροφή");
inline constexpr char kAspectCheckEn[] = "Check / Un-Check Ascpect";
inline constexpr auto kAspectCheckEl = cp737("C-Τσέκαρε / Ξε-τσέκαρε όψη");
inline constexpr char kChooseEn[] = "Choose";
inline constexpr auto kChooseEl = cp737("Επέλεξε");
inline constexpr auto kAspectMajorsEl = cp737("F1-Αλλαξε μεγάλες");
inline constexpr auto kAspectMinorsEl = cp737("F2-Αλλαξε μικρές");
inline constexpr auto kAspectRestEl = cp737("F3-Αλλαξε υπόλοιπες");

// Planet screen labels.
inline constexpr char kPlanetTitleEn[] = "Configure Planets\n\r\n\rSave\n\rEsc-Back";
inline constexpr auto kPlanetTitleEl = cp737("Διαμόρφωσε Πλανήτες\n\r\n\rΣώσε\n\rEsc-Επιστροφή");
inline constexpr char kPlanetCheckEn[] = "Check / Un-check Planet";
inline constexpr auto kPlanetCheckEl = cp737("C-Τσέκαρε / Ξε-τσέκαρε Πλανήτη");
inline constexpr char kSelectEn[] = "Select";
inline constexpr auto kPlanetMajorsEl = cp737("F1-Αλλαξε μεγάλους");
inline constexpr auto kPlanetMinorsEl = cp737("F2-Αλλαξε Μικρούς");
inline constexpr auto kPlanetRestEl = cp737("F3-Αλλαξε Υπόλοιπα");
inline constexpr auto kPlanetHousesEl = cp737("F4-Αλλαξε Σπίτια");

// Shared by both screens.
inline constexpr char kMajorsEn[] = "F1-Switch Majors";
inline constexpr char kMinorsEn[] = "F2-Switch Minors";
inline constexpr char kRestEn[] = "F3-Switch rest";
inline constexpr char kHousesEn[] = "F4-Switch Houses";
inline constexpr char kValueEn[] = "+ - value";
inline constexpr auto kValueEl = cp737("+ - όριο");
inline constexpr auto kSaveLetterEl = cp737("Σ\n\rEsc");

}  // namespace orvenda::config_texts
