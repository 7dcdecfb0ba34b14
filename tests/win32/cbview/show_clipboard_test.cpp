// ShowClipBoard through vistlib.dll by name: a modal window at its remembered
// place that disables the caller's windows, closes on its button, writes its
// place back and leaves no window behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "vistlib.h"

namespace {

constexpr char kKey[] = "Software\\Tarnwick\\Vistrel\\ClipBoardViewer";

void WriteDword(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

DWORD ReadDword(HKEY key, const char* name) {
  DWORD value = 0, size = sizeof value;
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

TEST(ShowClipBoard, ModalAtItsPlaceAndGoneWhenClosed) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  WriteDword(key, "Left", 120);
  WriteDword(key, "Top", 90);
  WriteDword(key, "Width", 500);
  WriteDword(key, "Height", 400);

  HMODULE library = LoadLibraryA("vistlib.dll");
  ASSERT_NE(library, nullptr);
  auto show = reinterpret_cast<vistlib::ShowClipBoardFn>(GetProcAddress(library, "ShowClipBoard"));
  ASSERT_NE(show, nullptr);
  HWND caller = CreateWindowExA(0, "STATIC", "caller", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);

  std::atomic<bool> callerDisabled{false};
  std::string button;
  RECT shownAt{};
  std::thread user([&] {
    HWND viewer = nullptr;
    for (int i = 0; i < 400 && !viewer; ++i, Sleep(50))
      viewer = FindWindowA(nullptr, "Tarnwick Clipboard Viewer");
    if (!viewer) return;
    callerDisabled = !IsWindowEnabled(caller);
    GetWindowRect(viewer, &shownAt);
    HWND back = FindWindowExA(viewer, nullptr, "BUTTON", nullptr);
    char text[64] = {};
    GetWindowTextA(back, text, sizeof text);
    button = text;
    // Moved by the user before closing: the new place is kept.
    SetWindowPos(viewer, nullptr, 140, 100, 520, 410, SWP_NOZORDER);
    PostMessageA(back, BM_CLICK, 0, 0);
  });
  show();  // returns when the window is closed
  user.join();

  EXPECT_EQ(button, "&Back to Vistrel Wizard");
  EXPECT_TRUE(callerDisabled) << "the viewer was not modal";
  EXPECT_TRUE(IsWindowEnabled(caller));
  EXPECT_EQ(shownAt.left, 120);
  EXPECT_EQ(shownAt.top, 90);
  EXPECT_EQ(shownAt.right - shownAt.left, 500);
  EXPECT_EQ(shownAt.bottom - shownAt.top, 400);
  EXPECT_EQ(FindWindowA(nullptr, "Tarnwick Clipboard Viewer"), nullptr);
  EXPECT_EQ(FindWindowA("TClipboardViewer", nullptr), nullptr);
  EXPECT_EQ(ReadDword(key, "Left"), 140u);
  EXPECT_EQ(ReadDword(key, "Top"), 100u);
  EXPECT_EQ(ReadDword(key, "Width"), 520u);
  EXPECT_EQ(ReadDword(key, "Height"), 410u);

  RegCloseKey(key);
  RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
  DestroyWindow(caller);
  FreeLibrary(library);
}

}  // namespace
