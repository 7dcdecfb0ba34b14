// Runs inside the program whose window is checked (a message hook loads it
// there), so each control is measured in the very font it draws with.
//
// The probe posts kMeasureMessage to the window; the hook measures its
// controls and writes the report into the shared block kReportBlock, then sets
// kReportDone.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "text_fit_win.h"
#include "textfit_shared.h"

namespace {

void Measure(HWND window) {
  textfit::Check check = textfit::Measure(window);
  char last[64];
  std::snprintf(last, sizeof last, "checked %d\n", check.checked);
  check.report += last;
  HANDLE block = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kReportBlock);
  if (block == nullptr) return;
  if (auto* out = static_cast<char*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, kReportSize))) {
    const size_t n = std::min(check.report.size(), kReportSize - 1);
    std::memcpy(out, check.report.data(), n);
    out[n] = 0;
    UnmapViewOfFile(out);
  }
  CloseHandle(block);
  if (HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReportDone)) {
    SetEvent(done);
    CloseHandle(done);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    TextFitHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT measure = RegisterWindowMessageA(kMeasureMessage);
  auto* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == measure) {
    Measure(message->hwnd);
    message->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
