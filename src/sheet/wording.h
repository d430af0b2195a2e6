// Small pieces of wording the natal reading and the two reports share.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace orvenda::wording {

// A pattern with each {} replaced by the next argument and each {1}, {2}… by that argument:
// the Greek and the English of a sentence need not name their parts in the same order.
std::string fill(const char* pattern, std::initializer_list<std::string> args);

// A pattern with each %s replaced by the next argument: the reports' sentences.
std::string fillEach(const char* pattern, const std::vector<std::string>& args);

// ASCII letters in lower case, the rest left alone: the texts' keys are ASCII.
std::string asciiLower(std::string s);

// A text's paragraphs: its non-empty lines.
std::vector<std::string> paragraphs(const std::string& text);

// The nature the texts are keyed by, of aspect n of the table: "conjunction",
// "challenging" (opposition, square), "harmonious" (trine, sextile), else "minor".
const char* aspectNature(int aspect);

// The keys the text of point `from` in aspect to point `to` is looked up by, the most
// particular first: "transit mars square sun", "transit mars challenging sun" (the five
// major aspects only), then "transit challenging". prefix is "transit", "synastry"…
std::vector<std::string> aspectKeys(const std::string& prefix, int from, int aspect, int to);

}  // namespace orvenda::wording
