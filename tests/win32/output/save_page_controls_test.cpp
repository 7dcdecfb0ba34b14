#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects_page_boxes_win.h"
#include "fx_exchange_win.h"
#include "message_box_answerer.h"
#include "save_page_lists_win.h"

namespace vistrel {
namespace {

std::string Text(HWND control) {
  char buffer[256] = {};
  GetWindowTextA(control, buffer, sizeof buffer);
  return buffer;
}

std::string ListItem(HWND list, int index) {
  char buffer[MAX_PATH] = {};
  SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

class PageControls : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&init);
    parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
  }
  void TearDown() override { DestroyWindow(parent); }
  HWND Child(const char* cls, DWORD style = 0) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 100, 100, parent, nullptr, nullptr,
                           nullptr);
  }
  HWND parent = nullptr;
};

TEST_F(PageControls, FormatListHasSixEntriesAndSelectsTheStoredOne) {
  HWND list = Child("COMBOBOX", CBS_DROPDOWNLIST);
  FillFileFormatList(list, 3);
  EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(FileFormatText(list), "png-Format");
  FillFileFormatList(list, 9);
  EXPECT_EQ(FileFormatText(list), "bmp-Windows Bitmap");
}

TEST_F(PageControls, ExecutableBoxFollowsTheCompressBoxAndKeepsItsTick) {
  HWND compress = Child("BUTTON", BS_AUTOCHECKBOX);
  HWND compile = Child("BUTTON", BS_AUTOCHECKBOX);
  SendMessageA(compile, BM_SETCHECK, BST_CHECKED, 0);
  UpdateCompressOptions(compress, compile, nullptr, nullptr);
  EXPECT_FALSE(IsWindowEnabled(compile));
  EXPECT_EQ(SendMessageA(compile, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(compress, BM_SETCHECK, BST_CHECKED, 0);
  UpdateCompressOptions(compress, compile, nullptr, nullptr);
  EXPECT_TRUE(IsWindowEnabled(compile));
}

TEST_F(PageControls, FolderListShowsThePathAndOpensSubFolders) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string root = std::string(temp) + "vistrel_dirs_" + std::to_string(GetTickCount());
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA((root + "\\beta").c_str(), nullptr);
  CreateDirectoryA((root + "\\Alpha").c_str(), nullptr);

  DriveFolderLists lists;
  HWND drive = Child("COMBOBOX", CBS_DROPDOWNLIST);
  HWND dirlist = Child("LISTBOX", LBS_NOTIFY);
  lists.Attach(drive, dirlist);
  ASSERT_TRUE(lists.SetPath(root));
  int count = static_cast<int>(SendMessageA(dirlist, LB_GETCOUNT, 0, 0));
  ASSERT_GE(count, 3);
  EXPECT_NE(ListItem(dirlist, count - 2).find("Alpha"), std::string::npos);
  EXPECT_NE(ListItem(dirlist, count - 1).find("beta"), std::string::npos);
  EXPECT_EQ(SendMessageA(dirlist, LB_GETCURSEL, 0, 0), count - 3);

  SendMessageA(dirlist, LB_SETCURSEL, count - 1, 0);
  EXPECT_TRUE(lists.OnDirlistDoubleClick());
  EXPECT_EQ(lists.Path(), lists.Path().substr(0, lists.Path().size() - 5) + "\\beta");
  SendMessageA(dirlist, LB_SETCURSEL, 0, 0);  // the drive root
  EXPECT_TRUE(lists.OnDirlistDoubleClick());
  EXPECT_EQ(lists.Path().size(), 3u);
  EXPECT_FALSE(lists.SetPath(root + "\\missing"));
  EXPECT_EQ(lists.Path().size(), 3u) << "a missing folder changes nothing";
}

TEST_F(PageControls, UnreadableDriveIsReportedAndTheListsStayWhereTheyWere) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  DriveFolderLists lists;
  HWND drive = Child("COMBOBOX", CBS_DROPDOWNLIST);
  HWND dirlist = Child("LISTBOX", LBS_NOTIFY);
  lists.Attach(drive, dirlist);
  ASSERT_TRUE(lists.SetPath(temp));
  const std::string before = lists.Path();
  const LRESULT count = SendMessageA(dirlist, LB_GETCOUNT, 0, 0);

  // A drive letter that no drive answers to, as a removed disk leaves it.
  const DWORD present = GetLogicalDrives();
  char letter = 'q';
  while (letter > 'd' && (present & (1u << (letter - 'a')))) --letter;
  const std::string entry = std::string(1, letter) + ":";
  SendMessageA(drive, CB_SETCURSEL,
               SendMessageA(drive, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str())), 0);

  testing::MessageBoxAnswerer answerer(kProgramTitle);
  EXPECT_FALSE(lists.OnDriveChange(nullptr));
  Sleep(300);
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Drive \"" + entry + "\" not available. "});
  EXPECT_EQ(lists.Path(), before);
  EXPECT_EQ(SendMessageA(dirlist, LB_GETCOUNT, 0, 0), count);
  char shown[8] = {};
  SendMessageA(drive, CB_GETLBTEXT, SendMessageA(drive, CB_GETCURSEL, 0, 0),
               reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(lstrcmpiA(shown, before.substr(0, 2).c_str()), 0) << shown;
}

TEST_F(PageControls, RotationBoxAndSpinBarFollowEachOther) {
  EffectsControls controls;
  controls.rotText = Child("EDIT");
  controls.rotScroll = Child(UPDOWN_CLASSA);
  InitRotScroll(controls.rotScroll);
  SetWindowTextA(controls.rotText, "45abc");
  RotTextChange(controls);
  EXPECT_EQ(Text(controls.rotText), "45");
  EXPECT_EQ(SendMessageA(controls.rotScroll, UDM_GETPOS32, 0, 0), 45);
  SetWindowTextA(controls.rotText, "450");
  RotTextChange(controls);
  EXPECT_EQ(SendMessageA(controls.rotScroll, UDM_GETPOS32, 0, 0), 45) << "out of range: unchanged";
  SendMessageA(controls.rotScroll, UDM_SETPOS32, 0, -90);
  RotScrollChange(controls);
  EXPECT_EQ(Text(controls.rotText), "-90");
}

TEST_F(PageControls, SizeBoxesKeepTheCropProportions) {
  EffectsControls controls;
  controls.percText = Child("EDIT");
  controls.scaleTextX = Child("EDIT");
  controls.scaleTextY = Child("EDIT");
  ScaleContext crop{800 * 15, 600 * 15, 15, '.'};
  SetWindowTextA(controls.percText, "100");
  UpdateScaleTextsWin(controls, crop);
  EXPECT_EQ(Text(controls.scaleTextX), "800");
  EXPECT_EQ(Text(controls.scaleTextY), "600");
  SetWindowTextA(controls.scaleTextY, "150");
  ScaleTextYKeyUp(controls, crop);
  EXPECT_EQ(Text(controls.percText), "25");
  EXPECT_EQ(Text(controls.scaleTextX), "200");
  EXPECT_EQ(ReadEffectsBoxes(controls).scaleTextX, "200");
}

}  // namespace
}  // namespace vistrel
