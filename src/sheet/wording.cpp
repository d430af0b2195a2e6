#include "sheet/wording.h"

#include <algorithm>

#include "natal/names.h"

namespace orvenda::wording {

std::string fill(const char* pattern, std::initializer_list<std::string> args) {
  std::string out;
  auto arg = args.begin();
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '{' && p[1] == '}' && arg != args.end()) {
      out += *arg++;
      ++p;
    } else if (p[0] == '{' && p[1] >= '1' && p[1] <= '9' && p[2] == '}') {
      const auto n = static_cast<std::size_t>(p[1] - '1');
      if (n < args.size()) out += *(args.begin() + n);
      p += 2;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string fillEach(const char* pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (next < args.size()) out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string asciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<std::string> paragraphs(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

const char* aspectNature(int aspect) {
  switch (aspect) {
    case 0: return "conjunction";
    case 1:
    case 2: return "challenging";
    case 3:
    case 4: return "harmonious";
    default: return "minor";
  }
}

std::vector<std::string> aspectKeys(const std::string& prefix, int from, int aspect, int to) {
  const std::string a = asciiLower(natal::pointName(from, false)),
                    b = asciiLower(natal::pointName(to, false));
  std::vector<std::string> keys = {prefix + " " + a + " " +
                                   asciiLower(natal::aspectName(aspect, false)) + " " + b};
  if (aspect < 5) keys.push_back(prefix + " " + a + " " + aspectNature(aspect) + " " + b);
  keys.push_back(prefix + " " + aspectNature(aspect));
  return keys;
}

}  // namespace orvenda::wording
