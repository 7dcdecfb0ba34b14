// The stub's dialog driven by window messages: caption, default folder, the
// optional file list and overwrite box, Extract, the overwrite question and
// the command run afterwards.
#include <gtest/gtest.h>

#include "sfx_win_helpers.h"
#include "zipsfx_res.h"

namespace {

using sfx_test::ZipBuilder;
using sfx_win::MakeSfx;
using sfx_win::Quote;
using sfx_win::Read;
using sfx_win::TempDir;
using sfx_win::WaitUntil;

struct DialogSearch {
  DWORD pid;
  const std::string* caption;
  HWND except, found;
};

// Finds a visible dialog of the process with the caption, other than `except`.
BOOL CALLBACK FindDialogOfProcess(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<DialogSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[64], title[256];
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, title, sizeof title);
  if (pid == s->pid && w != s->except && IsWindowVisible(w) && std::string(cls) == "#32770" &&
      *s->caption == title) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// A started stub with its dialog; the process is ended at the end of the test.
class Started {
 public:
  explicit Started(const std::string& exe) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = Quote(exe);
    ok_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi_);
  }
  ~Started() {
    if (!ok_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }

  // A visible dialog of this process with this caption, other than `except`.
  HWND Find(const std::string& caption, HWND except = nullptr, int timeoutMs = 20000) {
    DialogSearch s{pi_.dwProcessId, &caption, except, nullptr};
    WaitUntil(
        [&] {
          EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&s));
          return s.found != nullptr;
        },
        timeoutMs);
    return s.found;
  }

  DWORD WaitExit(int timeoutMs = 30000) {
    DWORD code = 0xdead;
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  bool ok() const { return ok_; }

 private:
  PROCESS_INFORMATION pi_{};
  BOOL ok_ = FALSE;
};

std::string Text(HWND w) {
  char buf[1024] = "";
  SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void Click(HWND dlg, int id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// All static texts of a dialog, for reading a message box.
std::string StaticTexts(HWND dlg) {
  std::string all;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32];
    GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "Static") all += Text(c) + "\n";
  }
  return all;
}

TEST(SfxDialog, ExtractsIntoTheChosenFolderAndRunsTheCommand) {
  TempDir dir("dialog_cmd");
  ZipBuilder zip;
  zip.Add("a.txt", "alpha");
  zip.Add("sub/b.txt", "beta");
  std::string preset = dir / "preset";
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build(), 0, "Dialog Test", preset,
                            "cmd.exe /c copy a.txt ran.txt");
  Started sfx(exe);
  ASSERT_TRUE(sfx.ok());
  HWND dlg = sfx.Find("Dialog Test");
  ASSERT_NE(dlg, nullptr) << "no dialog with the header's caption";

  EXPECT_EQ(Text(GetDlgItem(dlg, IDC_FOLDER)), preset);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_FILES)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_ASK)));
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_ASK, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDOK)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDCANCEL)));
  // The buttons moved up with the file list gone, inside the dialog.
  RECT client, button;
  GetClientRect(dlg, &client);
  GetWindowRect(GetDlgItem(dlg, IDOK), &button);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_LE(button.bottom, client.bottom);
  EXPECT_GT(button.top, client.bottom / 2);

  std::string chosen = dir / "chosen folder";
  SendMessageA(GetDlgItem(dlg, IDC_FOLDER), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(chosen.c_str()));
  Click(dlg, IDOK);
  EXPECT_EQ(sfx.WaitExit(), 0u);
  EXPECT_EQ(Read(chosen + "\\a.txt"), "alpha");
  EXPECT_EQ(Read(chosen + "\\sub\\b.txt"), "beta");
  EXPECT_FALSE(sfx_win::Exists(preset));
  EXPECT_TRUE(WaitUntil([&] { return Read(chosen + "\\ran.txt") == "alpha"; }))
      << "the archive's command did not run in the target folder";
}

TEST(SfxDialog, DefaultCaptionFolderFileChoiceAndHiddenOverwriteBox) {
  TempDir dir("dialog_files");
  ZipBuilder zip;
  zip.Add("one.txt", "1");
  zip.Add("two.txt", "2");
  zip.Add("three.txt", "3");
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build(), 0x02 | 0x04);
  Started sfx(exe);
  HWND dlg = sfx.Find("Self-extracting Archive");
  ASSERT_NE(dlg, nullptr);
  // No default folder in the header: the folder the executable is in.
  EXPECT_EQ(Text(GetDlgItem(dlg, IDC_FOLDER)), dir.path());
  HWND list = GetDlgItem(dlg, IDC_FILES);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 3);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_ASK)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_OVERWRITE_GROUP)));

  SendMessageA(list, LB_SETSEL, FALSE, 1);
  Click(dlg, IDOK);
  HWND done = sfx.Find("Self-extracting Archive", dlg);
  ASSERT_NE(done, nullptr) << "no closing message";
  EXPECT_NE(StaticTexts(done).find("2 file(s) extracted to " + dir.path()), std::string::npos)
      << StaticTexts(done);
  PostMessageA(done, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(sfx.WaitExit(), 0u);
  EXPECT_EQ(Read(dir / "one.txt"), "1");
  EXPECT_FALSE(sfx_win::Exists(dir / "two.txt"));
  EXPECT_EQ(Read(dir / "three.txt"), "3");
}

TEST(SfxDialog, OverwriteQuestionAnsweredNoKeepsTheFile) {
  TempDir dir("dialog_ask");
  sfx_win::Write(dir / "a.txt", "mine");
  ZipBuilder zip;
  zip.Add("a.txt", "theirs");
  zip.Add("b.txt", "b");
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build(), 0, "Ask Test");
  Started sfx(exe);
  HWND dlg = sfx.Find("Ask Test");
  ASSERT_NE(dlg, nullptr);
  Click(dlg, IDOK);
  HWND ask = sfx.Find("Confirm File Replace");
  ASSERT_NE(ask, nullptr) << "no overwrite question";
  EXPECT_NE(Text(GetDlgItem(ask, IDC_QUESTION)).find(dir / "a.txt"), std::string::npos);
  Click(ask, IDNO);
  HWND done = sfx.Find("Ask Test", dlg);
  ASSERT_NE(done, nullptr);
  EXPECT_NE(StaticTexts(done).find("1 existing file(s) kept"), std::string::npos)
      << StaticTexts(done);
  PostMessageA(done, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(sfx.WaitExit(), 0u);
  EXPECT_EQ(Read(dir / "a.txt"), "mine");
  EXPECT_EQ(Read(dir / "b.txt"), "b");
}

TEST(SfxDialog, CancelEndsWithoutExtracting) {
  TempDir dir("dialog_cancel");
  ZipBuilder zip;
  zip.Add("a.txt", "a");
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build(), 0, "Cancel Test");
  Started sfx(exe);
  HWND dlg = sfx.Find("Cancel Test");
  ASSERT_NE(dlg, nullptr);
  Click(dlg, IDCANCEL);
  EXPECT_EQ(sfx.WaitExit(), 3u);
  EXPECT_FALSE(sfx_win::Exists(dir / "a.txt"));
}

}  // namespace
