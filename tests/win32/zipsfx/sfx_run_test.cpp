// The built stub run unattended under Windows: what it extracts, what it
// refuses, and what it leaves alone.
#include <gtest/gtest.h>

#include <vector>

#include "sfx_win_helpers.h"

namespace {

using sfx_test::ZipBuilder;
using sfx_win::MakeSfx;
using sfx_win::Quote;
using sfx_win::Read;
using sfx_win::Run;
using sfx_win::TempDir;

sfx_win::RunResult Extract(const std::string& exe, const std::string& folder,
                           const std::string& more = "") {
  return Run(Quote(exe) + " /d " + Quote(folder) + (more.empty() ? "" : " " + more));
}

TEST(SfxStub, SizeFitsThePackersSearchAndHoldsNoEntrySignature) {
  std::string stub = sfx_win::Stub();
  ASSERT_FALSE(stub.empty()) << "ZIPSFX.BIN is not beside the tests";
  // The packer's entry-list reader scans offsets 14000 to 74000 of a new
  // executable for the first local header; the shipped 32-bit stub is held
  // to 60,000 bytes by the build.
  EXPECT_GE(stub.size(), 14000u);
  EXPECT_LE(stub.size(), 73000u);
  EXPECT_EQ(stub.find(std::string("PK\3\4", 4)), std::string::npos)
      << "a local-header signature inside the stub would be taken for the first entry";
}

TEST(SfxStub, ArchivesFromOtherToolsExtractIdentically) {
  std::vector<std::string> names;
  std::istringstream list(Read("zipsfx_data\\list.txt"));
  for (std::string n; std::getline(list, n);)
    if (!n.empty()) names.push_back(n);
  ASSERT_EQ(names.size(), 4u);
  for (const char* archive : {"python.zip", "infozip.zip"}) {
    SCOPED_TRACE(archive);
    TempDir dir(std::string("tools_") + archive);
    std::string exe = MakeSfx(dir / "pack.exe", Read(std::string("zipsfx_data\\") + archive));
    auto r = Extract(exe, dir / "out");
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    for (std::string name : names) {
      std::string expected = Read("zipsfx_data\\files\\" + name);
      for (char& c : name)
        if (c == '/') c = '\\';
      EXPECT_TRUE(sfx_win::Exists(dir / ("out\\" + name))) << name;
      EXPECT_EQ(Read(dir / ("out\\" + name)), expected) << name;
    }
  }
}

TEST(SfxStub, StreamedArchiveWithDataDescriptors) {
  TempDir dir("streamed");
  std::string exe = MakeSfx(dir / "pack.exe", Read("zipsfx_data\\streamed.zip"));
  auto r = Extract(exe, dir / "out");
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_EQ(Read(dir / "out\\-"), Read("zipsfx_data\\files\\Vistrel.bmp"));
}

TEST(SfxStub, OverwriteSwitchesAndHeaderMode) {
  ZipBuilder zip;
  zip.Add("a.txt", "new");
  const std::string archive = zip.Build();
  TempDir dir("overwrite");
  std::string out = dir / "out";
  CreateDirectoryA(out.c_str(), nullptr);
  std::string file = out + "\\a.txt";

  struct Case {
    uint8_t flags;
    const char* switches;
    const char* expect;
  } cases[] = {
      {0x00, "", "old"},    // asking is the header's mode, but nobody is there to answer
      {0x00, "/n", "old"},  // never
      {0x00, "/o", "new"},  // always
      {0x08, "", "new"},    // the header says always
      {0x10, "/O", "new"},  // the switch wins over the header
      {0x08, "-n", "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + c.switches);
    sfx_win::Write(file, "old");
    std::string exe = MakeSfx(dir / "pack.exe", archive, c.flags);
    auto r = Extract(exe, out, c.switches);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_EQ(Read(file), c.expect);
  }
  // No temporary files are left behind.
  EXPECT_EQ(TempDir::Listing(out), "a.txt;");
}

TEST(SfxStub, ZipSlipEntriesAreRefusedAndNamed) {
  TempDir dir("slip");
  std::string out = dir / "out";
  ZipBuilder zip;
  zip.Add("../escaped.txt", "x");
  zip.Add("sub/../../escaped2.txt", "x");
  zip.Add("good.txt", "good");
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build());
  auto r = Extract(exe, out, "/o");
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_FALSE(sfx_win::Exists(dir / "escaped.txt"));
  EXPECT_FALSE(sfx_win::Exists(dir / "escaped2.txt"));
  EXPECT_EQ(Read(out + "\\good.txt"), "good");
  EXPECT_NE(r.output.find("../escaped.txt: refused"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("sub/../../escaped2.txt: refused"), std::string::npos) << r.output;
}

TEST(SfxStub, DamagedEntryNeverReplacesAGoodFile) {
  TempDir dir("crc");
  std::string out = dir / "out";
  CreateDirectoryA(out.c_str(), nullptr);
  sfx_win::Write(out + "\\a.txt", "good old data");
  ZipBuilder zip;
  zip.Add("a.txt", std::string(5000, 'n')).crc = 1;
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build());
  auto r = Extract(exe, out, "/o");
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(Read(out + "\\a.txt"), "good old data");
  EXPECT_NE(r.output.find("a.txt: CRC error"), std::string::npos) << r.output;
  // Only the original file: the temporary one was removed.
  EXPECT_EQ(TempDir::Listing(out), "a.txt;");
}

TEST(SfxStub, MissingOrCutArchiveGivesAClearMessage) {
  TempDir dir("damaged");
  // The bare stub, run as a program: nothing behind it.
  std::string bare = dir / "bare.exe";
  sfx_win::Write(bare, sfx_win::Stub());
  auto r = Extract(bare, dir / "out");
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.output.find("cannot be used: no archive was found"), std::string::npos) << r.output;

  ZipBuilder zip;
  zip.Add("a.txt", std::string(3000, 'a'));
  std::string whole = zip.Build();
  std::string exe = MakeSfx(dir / "cut.exe", whole.substr(0, whole.size() - 30));
  r = Extract(exe, dir / "out");
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.output.find("cannot be used: the archive's directory"), std::string::npos)
      << r.output;
  EXPECT_FALSE(sfx_win::Exists(dir / "out\\a.txt"));
}

TEST(SfxStub, DefaultFolderOfAnExecutableInADriveRootIsThatRoot) {
  // "C:" without the backslash would be drive C's current folder.
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string root = std::string(windows).substr(0, 3);
  std::string tag = "sfxroot_" + std::to_string(GetCurrentProcessId());
  ZipBuilder zip;
  zip.Add(tag + ".txt", "root");
  std::string exe = MakeSfx(root + tag + ".exe", zip.Build());
  TempDir elsewhere("root_cwd");
  char oldCwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, oldCwd);
  SetCurrentDirectoryA(elsewhere.path().c_str());
  auto r = Extract(exe, "");
  SetCurrentDirectoryA(oldCwd);
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_EQ(Read(root + tag + ".txt"), "root");
  EXPECT_EQ(TempDir::Listing(elsewhere.path()), "");
  DeleteFileA((root + tag + ".txt").c_str());
  DeleteFileA(exe.c_str());
}

TEST(SfxStub, UnknownSwitchShowsUsageWithoutExtracting) {
  TempDir dir("usage");
  ZipBuilder zip;
  zip.Add("a.txt", "a");
  std::string exe = MakeSfx(dir / "pack.exe", zip.Build());
  auto r = Extract(exe, dir / "out", "/bogus");
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_NE(r.output.find("/bogus"), std::string::npos) << r.output;
  EXPECT_FALSE(sfx_win::Exists(dir / "out"));
}

}  // namespace
