// Runs inside the program whose window is checked (a message hook loads it
// there), so each control is measured in the very font it draws with.
//
// The probe posts kMeasureMessage to the window; the hook measures its
// controls and writes the report into the shared block kReportBlock, then sets
// kReportDone. With a DPI in wParam (and the window's present one in lParam)
// it first tells the window it moved onto a monitor of that DPI, as the system
// does, with the window's rectangle scaled for the suggestion.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "text_fit_win.h"
#include "textfit_shared.h"

namespace {

void Measure(HWND window, int to, int from) {
  if (to > 0 && from > 0) {
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT suggested = {frame.left, frame.top,
                      frame.left + MulDiv(frame.right - frame.left, to, from),
                      frame.top + MulDiv(frame.bottom - frame.top, to, from)};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  }
  textfit::Check check = textfit::Measure(window);
  RECT frame{};
  GetWindowRect(window, &frame);
  char last[96];
  std::snprintf(last, sizeof last, "size %ld %ld\nchecked %d\n", frame.right - frame.left,
                frame.bottom - frame.top, check.checked);
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
    Measure(message->hwnd, static_cast<int>(message->wParam), static_cast<int>(message->lParam));
    message->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
