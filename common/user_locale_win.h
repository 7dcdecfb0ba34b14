#pragma once
// What the user's settings and screen say about numbers and lengths.
#include <windows.h>

namespace vistrel {

// The user's decimal separator.
inline char UserDecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) {
    return buffer[0];
  }
  return '.';
}

}  // namespace vistrel
