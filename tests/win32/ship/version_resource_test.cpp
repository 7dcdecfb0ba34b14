// Every shipped file carries the program's version, product and company, and
// a description of its own, where Explorer's properties and installers read them.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "version.h"

namespace {

std::string Dist(const char* name) {
  std::string path = VISTREL_DIST;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path + "\\" + name;
}

std::string Text(std::vector<char>& block, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
  return value;
}

TEST(VersionResource, EveryShippedFileCarriesTheVersion) {
  std::set<std::string> descriptions;
  for (const char* name : {"vistrel.exe", "vistlib.dll", "TiffDLL.dll", "ZIPDLL.DLL", "ZIPSFX.BIN"}) {
    SCOPED_TRACE(name);
    std::string path = Dist(name);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << path;
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), VISTREL_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), VISTREL_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 0);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), VISTREL_VERSION_REVISION);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    EXPECT_EQ(Text(block, "FileVersion"), "99.0.55");
    EXPECT_EQ(Text(block, "ProductVersion"), "99.0.55");
    EXPECT_EQ(Text(block, "ProductName"), "Tarnwick Vistrel");
    EXPECT_EQ(Text(block, "CompanyName"), "Tarnwick");
    EXPECT_EQ(Text(block, "OriginalFilename"), name);
    std::string description = Text(block, "FileDescription");
    EXPECT_EQ(description.rfind("Tarnwick Vistrel", 0), 0u) << description;
    descriptions.insert(description);
  }
  EXPECT_EQ(descriptions.size(), 5u) << "each file describes itself";
}

}  // namespace
