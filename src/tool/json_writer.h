// A JSON document written as it goes, byte for byte what nlohmann's dump(2) writes of the
// same tree, for the commands whose JSON is read most: building the tree first, then
// walking it, costs more than the chart behind it.
#pragma once

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orvenda::tool {

// The caller gives the keys in the order the tree's maps would (sorted); every scalar is
// written by the JSON library itself, so the bytes are those of dump(2). `chart --json`
// (a test holds the two together over many charts) and `traditional --json` use it.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  JsonWriter& key(const char* k) {
    item();
    out_ += '"';
    out_ += k;
    out_ += "\": ";
    keyed_ = true;
    return *this;
  }
  template <typename T>
  JsonWriter& value(const T& v) {
    item();
    if constexpr (std::is_same_v<T, bool>) {
      out_ += v ? "true" : "false";
    } else if constexpr (std::is_integral_v<T>) {
      out_ += std::to_string(v);
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      // Printable ASCII is written as it stands; anything the library would escape (or
      // refuse, as bytes that aren't UTF-8) goes through it.
      const std::string_view text(v);
      if (std::all_of(text.begin(), text.end(),
                      [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; })) {
        out_ += '"';
        out_ += text;
        out_ += '"';
      } else {
        out_ += nlohmann::json(v).dump();
      }
    } else {
      out_ += nlohmann::json(v).dump();
    }
    return *this;
  }
  JsonWriter& null() {
    item();
    out_ += "null";
    return *this;
  }
  JsonWriter& open(char bracket) {
    item();
    out_ += bracket;
    first_.push_back(true);
    return *this;
  }
  JsonWriter& close(char bracket) {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) newline();
    out_ += bracket;
    return *this;
  }
  template <typename List, typename Each>
  JsonWriter& array(const List& list, Each each) {
    open('[');
    for (const auto& x : list) each(x);
    return close(']');
  }

 private:
  // Before a value: the comma and the line of an array's element or an object's key (a
  // key's value follows on its line).
  void item() {
    if (keyed_) {
      keyed_ = false;
      return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ += ',';
    first_.back() = false;
    newline();
  }
  void newline() {
    out_ += '\n';
    out_.append(2 * first_.size(), ' ');
  }

  std::string& out_;
  std::vector<bool> first_;
  bool keyed_ = false;
};

}  // namespace orvenda::tool
