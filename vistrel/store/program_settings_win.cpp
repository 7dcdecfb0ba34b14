#include "program_settings_win.h"

#include <windows.h>

#include <string>

#include "registry_settings_store_win.h"
#include "system_text_win.h"
#include "version.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {


DWORD WINAPI ShowRefusal(void* parameter) {
  auto* text = static_cast<std::string*>(parameter);
  MessageBoxA(nullptr, text->c_str(), VISTREL_PRODUCT,
              MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
  delete text;
  return 0;
}

// Said on a thread of its own: the refusal comes in the middle of whatever
// saved the setting (a page move, a capture), and a message box there would
// run that window's events before the work is done.
void ReportRefusal(const BackendSettingsStore::Refusal& refusal) noexcept {
  try {
    auto* text = new std::string(
        "The settings cannot be kept: they could not be written to the registry.\r\n" +
        SystemText(static_cast<DWORD>(refusal.status), "Error ") + " (HKEY_CURRENT_USER\\" + refusal.keyPath +
        ")\r\nCaptures and outputs go on with this session's settings; changes are lost when "
        "the program ends.");
    if (HANDLE thread = CreateThread(nullptr, 0, ShowRefusal, text, 0, nullptr))
      CloseHandle(thread);
    else
      delete text;
  } catch (...) {
    // Out of memory for the message: the settings still work for this session.
    LogCaughtException("reporting unwritable settings", nullptr);
  }
}

}  // namespace

SettingsStore& ProgramSettings() {
  static RegistrySettingsStore store;
  static const bool reporting = (store.OnFirstRefusal(ReportRefusal), true);
  (void)reporting;
  return store;
}

}  // namespace vistrel
