// The library is loaded by name, as the program does, and answers to the
// nine undecorated export names.
#include <windows.h>

#include <gtest/gtest.h>

#include "vistlib.h"

namespace {

TEST(VistlibExports, AllNineNamesAreExportedUndecorated) {
  HMODULE module = LoadLibraryA("vistlib.dll");
  ASSERT_NE(module, nullptr) << GetLastError();
  for (const char* name : {"Init", "Quit", "Cheese", "GiveActiveWindow", "Transfer", "VisEdit",
                           "AddToZip", "MakeExe", "ShowClipBoard"}) {
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  }
  FreeLibrary(module);
}

TEST(VistlibExports, GiveActiveWindowBeforeAnyCaptureGivesZeros) {
  HMODULE module = LoadLibraryA("vistlib.dll");
  ASSERT_NE(module, nullptr);
  auto give = reinterpret_cast<vistlib::GiveActiveWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "GiveActiveWindow")));
  ASSERT_NE(give, nullptr);
  vistrel::Rect rect{1, 2, 3, 4};
  give(&rect);
  EXPECT_EQ(rect, (vistrel::Rect{0, 0, 0, 0}));
  FreeLibrary(module);
}

}  // namespace
