#pragma once
// No exception may leave one of the library's exports: it cannot unwind
// through the caller. What stopped the call is written to the debug log, and
// a std::exception's text is shown to the user as well.
#include <exception>

#include "library_message.h"
#include "window_thunk_win.h"

namespace vistlib {

template <typename Body>
void GuardedExport(const char* name, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& error) {
    vistrel::LogCaughtException(name, error.what());
    try {
      ShowMessage(error.what());
    } catch (...) {
      vistrel::LogCaughtException(name, "the message could not be shown");
    }
  } catch (...) {
    vistrel::LogCaughtException(name, nullptr);
  }
}

}  // namespace vistlib
