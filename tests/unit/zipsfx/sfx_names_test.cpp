// Entry names made safe, and the stub's own command line.
#include "sfx_names.h"

#include <gtest/gtest.h>

#include <string>

#include "sfx_args.h"
#include "sfx_header.h"

namespace {

struct Named {
  SfxStatus status;
  std::string path;
  int isDir;
};

Named Safe(const std::string& name, size_t outSize = 260) {
  std::string out(outSize, '\x7f');
  Named n{};
  n.status = SfxSafeName(name.c_str(), out.data(), outSize, &n.isDir);
  n.path = out.c_str();
  return n;
}

TEST(SfxNames, OrdinaryNamesBecomeRelativeWindowsPaths) {
  EXPECT_EQ(Safe("Vistrel.bmp").path, "Vistrel.bmp");
  EXPECT_EQ(Safe("sub/deeper/a.txt").path, "sub\\deeper\\a.txt");
  EXPECT_EQ(Safe("sub\\a.txt").path, "sub\\a.txt");
  EXPECT_EQ(Safe("./x//y/./z").path, "x\\y\\z");
  EXPECT_EQ(Safe("..hidden/a..b/c.").path, "..hidden\\a..b\\c.");
  Named dir = Safe("folder/");
  EXPECT_EQ(dir.status, SFX_OK);
  EXPECT_EQ(dir.path, "folder");
  EXPECT_TRUE(dir.isDir);
  EXPECT_FALSE(Safe("folder/file").isDir);
}

TEST(SfxNames, NamesThatLeaveTheTargetFolderAreRefused) {
  for (const char* name : {"../evil.txt", "a/../../evil.txt", "a/..", "..\\evil", "/etc/passwd",
                           "\\Windows\\x.dll", "C:\\Windows\\x.dll", "C:x.dll", "a.txt:stream",
                           "\\\\server\\share\\x", "a/.../b", "a/.. /b", "a/. ./b"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Safe(name).status, SFX_ERR_UNSAFE_NAME);
  }
}

TEST(SfxNames, NamesWindowsCannotCreateAreRefused) {
  for (const char* name : {"", "a\x01.txt", "a?.txt", "a*.txt", "a|b", "x<y", "q\"uote", "CON",
                           "sub/nul.txt", "Com1.log", "LPT9", "aux .txt", ".",
                           // Ports with superscript numbers and the console are devices too.
                           "COM\xB9.txt", "lpt\xB2", "sub/conin$", "CONOUT$.log"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Safe(name).status, SFX_ERR_BAD_NAME);
  }
  // Only the exact device stems are devices.
  EXPECT_EQ(Safe("CONSOLE.txt").status, SFX_OK);
  EXPECT_EQ(Safe("COM10").status, SFX_OK);
  EXPECT_EQ(Safe("LPT0").status, SFX_OK);
}

TEST(SfxNames, LongNamesAreRefusedNotCut) {
  EXPECT_EQ(Safe("abc/def", 8).status, SFX_OK);
  EXPECT_EQ(Safe("abc/defg", 8).status, SFX_ERR_NAME_TOO_LONG);
  EXPECT_EQ(Safe(std::string(300, 'a')).status, SFX_ERR_NAME_TOO_LONG);
}

std::vector<std::string> Split(const char* line) {
  std::vector<std::string> out;
  char arg[64];
  while (SfxNextArg(&line, arg, sizeof arg)) out.push_back(arg);
  return out;
}

TEST(SfxArgs, SplitsByWindowsQuotingRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split("  a  b\tc "), (V{"a", "b", "c"}));
  EXPECT_EQ(Split("\"C:\\My Files\\x.exe\" /d \"D:\\out dir\""),
            (V{"C:\\My Files\\x.exe", "/d", "D:\\out dir"}));
  EXPECT_EQ(Split("a\\\\b \"c\\\\\" d"), (V{"a\\\\b", "c\\", "d"}));
  EXPECT_EQ(Split("\"a\\\"b\" x"), (V{"a\"b", "x"}));
  EXPECT_EQ(Split("\"say \"\"hi\"\"\""), (V{"say \"hi\""}));
  EXPECT_EQ(Split("\"\""), (V{""}));
  EXPECT_EQ(Split(""), V{});
  // Overlong arguments are cut, never written past the buffer.
  EXPECT_EQ(Split(std::string(100, 'x').c_str()), (V{std::string(63, 'x')}));
}

TEST(SfxArgs, FolderAndOverwriteSwitches) {
  SfxArgs a;
  SfxParseArgs("sfx.exe", &a);
  EXPECT_FALSE(a.unattended);
  EXPECT_EQ(a.overwrite, -1);
  EXPECT_FALSE(a.help);

  SfxParseArgs("\"C:\\a b\\sfx.exe\" /d \"C:\\out dir\" /O", &a);
  EXPECT_TRUE(a.unattended);
  EXPECT_STREQ(a.folder, "C:\\out dir");
  EXPECT_EQ(a.overwrite, SFX_OVERWRITE_ALWAYS);
  EXPECT_FALSE(a.help);

  SfxParseArgs("sfx -D:C:\\x -n", &a);
  EXPECT_TRUE(a.unattended);
  EXPECT_STREQ(a.folder, "C:\\x");
  EXPECT_EQ(a.overwrite, SFX_OVERWRITE_NEVER);

  // An empty folder means the default folder, still unattended.
  SfxParseArgs("sfx /d \"\"", &a);
  EXPECT_TRUE(a.unattended);
  EXPECT_STREQ(a.folder, "");
}

TEST(SfxArgs, UnknownOrIncompleteSwitchesAskForUsage) {
  SfxArgs a;
  SfxParseArgs("sfx /x", &a);
  EXPECT_TRUE(a.help);
  EXPECT_STREQ(a.bad, "/x");
  SfxParseArgs("sfx /d", &a);
  EXPECT_TRUE(a.help);
  SfxParseArgs("sfx /over", &a);
  EXPECT_TRUE(a.help);
  SfxParseArgs("sfx /?", &a);
  EXPECT_TRUE(a.help);
  EXPECT_STREQ(a.bad, "");
}

}  // namespace
