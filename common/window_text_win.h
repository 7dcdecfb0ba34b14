#pragma once
// A window's text (a control's contents, a window's caption) as a string.
#include <windows.h>

#include <string>

namespace vistrel {

inline std::string WindowText(HWND window) {
  if (!window) return {};
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace vistrel
