#pragma once
// Registry names compare without regard to letter case.
#include <string_view>

namespace vistrel {

inline char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

inline bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Orders names case-insensitively, so that a map keyed by it finds "Last" as "last".
struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      const unsigned char x = static_cast<unsigned char>(FoldCase(a[i]));
      const unsigned char y = static_cast<unsigned char>(FoldCase(b[i]));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

}  // namespace vistrel
