#include "handoffs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vistrel::wizard {
namespace {

struct FakePorts : HandoffPorts {
  std::set<std::string> files;
  std::vector<std::string> calls;

  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  void Beep() override { calls.push_back("beep"); }
  void ShellOpen(const std::string& file, const std::string& folder) override {
    calls.push_back("open " + file + " in " + folder);
  }
  void Start(const std::string& program, const std::string& commandLine) override {
    calls.push_back("start " + program + " | " + commandLine);
  }
  void Exclamation(const std::string& text, const std::string& title) override {
    calls.push_back("message " + text + " | " + title);
  }
};

TEST(FolderOf, Table) {
  struct Case {
    const char* path;
    const char* folder;
    bool beeps;
  };
  const Case cases[] = {
      {"C:\\Pics\\a.jpg", "C:\\Pics", false},
      {"C:\\a.jpg", "C:\\", false},
      {"C:", "C:\\", false},
      {"", "", true},
      {"a.jpg", "", false},  // no folder: the shell's current one
      {"\\\\server\\share\\b.png", "\\\\server\\share", false},
  };
  for (const Case& c : cases) {
    FakePorts ports;
    EXPECT_EQ(FolderOf(c.path, ports), c.folder) << c.path;
    EXPECT_EQ(ports.calls.size(), c.beeps ? 1u : 0u) << c.path;
  }
}

TEST(OpenLastSaved, OpensAnExistingFileInItsFolderAndIgnoresAMissingOne) {
  FakePorts ports;
  ports.files = {"C:\\Pics\\Vistrel3.jpg"};
  EXPECT_TRUE(OpenLastSaved(ports, "C:\\Pics\\Vistrel3.jpg"));
  EXPECT_FALSE(OpenLastSaved(ports, "C:\\Pics\\Vistrel4.jpg"));
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"open C:\\Pics\\Vistrel3.jpg in C:\\Pics"}));
}

TEST(OpenLastSavedButton, FallsBackToTheArchiveAndOtherwiseSaysSo) {
  FakePorts ports;
  std::string last;
  OpenLastSavedButton(ports, last, "C:\\Pics\\Vistrel.jpg");
  EXPECT_EQ(last, "C:\\Pics\\Vistrel.jpg");
  ASSERT_EQ(ports.calls.size(), 1u);
  EXPECT_EQ(ports.calls[0], std::string("message ") + kOnlySavedFilesText +
                                " | File C:\\Pics\\Vistrel.jpg not found");

  ports.calls.clear();
  ports.files = {"C:\\Pics\\Vistrel.zip"};
  last.clear();
  OpenLastSavedButton(ports, last, "C:\\Pics\\Vistrel.zip");
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"open C:\\Pics\\Vistrel.zip in C:\\Pics"}));

  // A file that still exists is opened, whatever the next name would be.
  ports.calls.clear();
  ports.files = {"D:\\Old.bmp"};
  last = "D:\\Old.bmp";
  OpenLastSavedButton(ports, last, "C:\\Pics\\Vistrel.bmp");
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"open D:\\Old.bmp in D:\\"}));
}

TEST(ShowExplorer, StartsTheWindowsExplorerWithTheFolderUnquoted) {
  FakePorts ports;
  ports.files = {"C:\\WINDOWS\\Explorer.exe"};
  ShowExplorer(ports, "C:\\WINDOWS\\", "C:\\My Pics");
  ShowExplorer(ports, "C:\\WINDOWS", "C:\\");
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{
                "start C:\\WINDOWS\\Explorer.exe | C:\\WINDOWS\\Explorer.exe C:\\My Pics",
                "start C:\\WINDOWS\\Explorer.exe | C:\\WINDOWS\\Explorer.exe C:\\"}));

  ports.calls.clear();
  ShowExplorer(ports, "D:\\WinNT\\", "C:\\");
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{"message Could not find \"D:\\WinNT\\Explorer.exe\" | "}));
}

}  // namespace
}  // namespace vistrel::wizard
