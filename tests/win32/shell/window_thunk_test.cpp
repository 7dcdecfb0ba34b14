// The count-down window and a dialog through the program's thunks: what a
// handler throws is written to debug.txt and answered, never dropped, and a
// dialog's handler sees WM_INITDIALOG with its object already in place.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "countdown_win.h"
#include "program_paths_win.h"
#include "window_thunk_win.h"

namespace vistrel {
namespace {

std::string DebugLog() {
  std::ifstream file(ProgramFolder() + "\\debug.txt");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void ForgetDebugLog() { DeleteFileA((ProgramFolder() + "\\debug.txt").c_str()); }

// A marker no other run of a test writes.
std::string Unique(const std::string& text) { return text + " " + std::to_string(GetTickCount()); }

HWND CountdownWindow() { return FindWindowA("VistrelCountdown", nullptr); }

TEST(CountdownWindow, AClickCancelsAndAThrowingEndIsLogged) {
  Countdown countdown;
  std::vector<bool> ends;
  ASSERT_TRUE(countdown.Start(10000, {}, [&](bool fired) { ends.push_back(fired); }));
  HWND window = CountdownWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(ends, std::vector<bool>{false});
  EXPECT_FALSE(countdown.Active());
  EXPECT_FALSE(IsWindow(window));

  // The same window class again, whose end fails: the program goes on, and
  // the failure is in the log.
  const std::string marker = Unique("the count-down's end failed on purpose");
  ASSERT_TRUE(countdown.Start(10000, {}, [&](bool) { throw std::runtime_error(marker); }));
  window = CountdownWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0), 0);
  EXPECT_FALSE(countdown.Active());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_NE(DebugLog().find("window procedure: " + marker), std::string::npos) << DebugLog();
  ForgetDebugLog();
}

constexpr WORD kEditId = 100;
constexpr WORD kThrowId = 101;

// A dialog with one edit box, made in memory.
std::vector<WORD> DialogWithAnEdit() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  dialog->style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
  dialog->cdit = 1;
  dialog->cx = 120;
  dialog->cy = 40;
  words.insert(words.end(), {0, 0, 0});      // no menu, the dialog class, no title
  if (words.size() % 2) words.push_back(0);  // items start on a DWORD
  const size_t item = words.size();
  words.resize(item + sizeof(DLGITEMTEMPLATE) / sizeof(WORD), 0);
  auto* edit = reinterpret_cast<DLGITEMTEMPLATE*>(&words[item]);
  edit->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
  edit->x = 4;
  edit->y = 4;
  edit->cx = 100;
  edit->cy = 12;
  edit->id = kEditId;
  words.insert(words.end(), {0xFFFF, 0x0081, 0, 0});  // the edit class, no text, no data
  return words;
}

struct Probe {
  bool objectAtInit = false;
  std::string marker;

  INT_PTR Message(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
      objectAtInit = GetWindowLongPtrA(dialog, DWLP_USER) == reinterpret_cast<LONG_PTR>(this);
      return FALSE;  // the thunk still gives the first control the focus
    }
    if (message == WM_COMMAND && LOWORD(wParam) == kThrowId) throw std::runtime_error(marker);
    return FALSE;
  }
};

TEST(DialogThunk, InitSeesTheObjectAndAThrowIsLoggedAndAnswered) {
  const std::vector<WORD> layout = DialogWithAnEdit();
  Probe probe;
  probe.marker = Unique("the dialog's handler failed on purpose");
  HWND dialog = CreateDialogIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<const DLGTEMPLATE*>(layout.data()), nullptr,
      DialogThunk<Probe, &Probe::Message>, reinterpret_cast<LPARAM>(&probe));
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(probe.objectAtInit);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kEditId));
  EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kThrowId, BN_CLICKED), 0), FALSE);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_NE(DebugLog().find("dialog procedure: " + probe.marker), std::string::npos)
      << DebugLog();
  DestroyWindow(dialog);
  ForgetDebugLog();
}

}  // namespace
}  // namespace vistrel
