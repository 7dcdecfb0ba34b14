#include "command_line.h"

#include <gtest/gtest.h>

#include <set>

namespace vistrel {
namespace {

ParsedCommand Parse(std::string_view line) { return ParseCommandLine(SplitCommandLine(line)); }

TEST(CommandLine, SplitsAsWindowsProgramsReadTheirArguments) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("  capture\t--out  \"C:\\My Pics\\a.png\" "),
            (Words{"capture", "--out", "C:\\My Pics\\a.png"}));
  // A folder's trailing backslash before the closing quote stays a backslash.
  EXPECT_EQ(SplitCommandLine("--out \"C:\\My Pics\\\\\""), (Words{"--out", "C:\\My Pics\\"}));
  EXPECT_EQ(SplitCommandLine("a\\\"b \"\" c"), (Words{"a\"b", "", "c"}));
  EXPECT_EQ(SplitCommandLine("C:\\a\\b"), (Words{"C:\\a\\b"}));
}

TEST(CommandLine, OlderWordsAndNothingAreLeftToTheProgram) {
  for (const char* line : {"", "setup", "debug", "SafeColor", "shootyourself", "Setup"}) {
    EXPECT_EQ(Parse(line).kind, CommandKind::None) << line;
  }
  EXPECT_EQ(Parse("--help").kind, CommandKind::Help);
  EXPECT_EQ(Parse("/?").kind, CommandKind::Help);
  EXPECT_EQ(Parse("capture window --help").kind, CommandKind::Help);
}

TEST(CommandLine, EachFormParsesAndEveryBadInputSaysWhy) {
  struct Case {
    const char* line;
    const char* errorPart;  // nullptr: accepted
  };
  const Case cases[] = {
      {"capture --clipboard", nullptr},
      {"CAPTURE Window --out a.png", nullptr},
      {"capture monitor --delay 2.5 --out a --format jpg", nullptr},
      {"capture -10,-20,30,40 --out a.bmp --clipboard", nullptr},
      {"capture --wizard --delay 3", nullptr},
      {"capture --delay 0 --clipboard", nullptr},
      {"capture", "Nothing to do"},
      {"capture screen --clipboard", "Unknown word \"screen\""},
      {"capture --clipbaord", "Unknown word \"--clipbaord\""},
      {"capture full window --clipboard", "Only one area"},
      {"capture 1,2,3 --clipboard", "x,y,width,height"},
      {"capture 1,2,3,4,5 --clipboard", "x,y,width,height"},
      {"capture 1,2,3,x --clipboard", "x,y,width,height"},
      {"capture 10,10,0,5 --clipboard", "has no area"},
      {"capture 10,10,5,-5 --clipboard", "has no area"},
      {"capture --delay -1 --clipboard", "cannot be negative"},
      {"capture --delay soon --clipboard", "not \"soon\""},
      {"capture --delay 1,5 --clipboard", "not \"1,5\""},
      {"capture --delay 3601 --clipboard", "at most 3600"},
      {"capture --delay", "needs a number"},
      {"capture --out", "needs a file or folder"},
      {"capture --out a.png --out b.png", "given twice"},
      {"capture --out a --format gif", "must be one of bmp, jpg, tif, png, pcx, dcx"},
      {"capture --format png --clipboard", "--format needs --out"},
      {"capture --wizard --out a.png", "takes no area, --out"},
      {"capture window --wizard", "takes no area"},
      {"--help me", "takes nothing"},
  };
  for (const Case& c : cases) {
    const ParsedCommand parsed = Parse(c.line);
    if (c.errorPart == nullptr) {
      EXPECT_EQ(parsed.kind, CommandKind::Capture) << c.line << ": " << parsed.error;
    } else {
      ASSERT_EQ(parsed.kind, CommandKind::Error) << c.line;
      EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos)
          << c.line << ": " << parsed.error;
      EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << "one line: " << c.line;
    }
  }
  const CaptureCommand rect = Parse("capture -10,-20,30,40 --clipboard").capture;
  EXPECT_EQ(rect.area, CaptureArea::Rectangle);
  EXPECT_EQ(rect.rectangle, (Rect{-10, -20, 20, 20}));
  EXPECT_EQ(Parse("capture --delay 2.5 --clipboard").capture.delayMs, 2500);
  EXPECT_EQ(Parse("capture --out a --format .PNG").capture.format, "png");
}

TEST(CommandLine, TheRunningProgramGetsTheSameCommandBack) {
  for (const char* line :
       {"capture --clipboard", "capture window --delay 0.25 --out \"C:\\My Pics\\a b.jpg\"",
        "capture -5,6,7,8 --out C:\\x --format tif --clipboard", "capture --wizard --delay 10",
        "capture monitor --delay 3600 --out C:\\\\"}) {
    const ParsedCommand parsed = Parse(line);
    ASSERT_EQ(parsed.kind, CommandKind::Capture) << line;
    const ParsedCommand back = DecodeCaptureCommand(EncodeCaptureCommand(parsed.capture));
    ASSERT_EQ(back.kind, CommandKind::Capture) << line << ": " << back.error;
    EXPECT_EQ(EncodeCaptureCommand(back.capture), EncodeCaptureCommand(parsed.capture)) << line;
    EXPECT_EQ(back.capture.delayMs, parsed.capture.delayMs);
    EXPECT_EQ(back.capture.out, parsed.capture.out);
    EXPECT_EQ(back.capture.rectangle, parsed.capture.rectangle);
  }
  EXPECT_EQ(DecodeCaptureCommand("setup").kind, CommandKind::Error);
  EXPECT_EQ(DecodeCaptureCommand("").kind, CommandKind::Error);
}

TEST(CommandLine, ChecksAgainstTheScreenAndTheFolders) {
  const std::set<std::string> folders = {"C:\\", "C:\\pics"};
  CommandWorld world;
  world.screen = {-1024, 0, 1280, 1024};
  world.isFolder = [&](const std::string& path) { return folders.count(path) > 0; };
  world.autoFileName = [](const std::string& folder, const std::string& extension) {
    return folder + (folder.back() == '\\' ? "" : "\\") + "Vistrel3." + extension;
  };
  struct Case {
    const char* line;
    const char* fileOrError;  // the file planned, or a part of the error
    bool ok;
  };
  const Case cases[] = {
      {"capture --clipboard", "", true},
      {"capture -1024,0,2304,1024 --clipboard", "", true},
      {"capture -1025,0,10,10 --clipboard", "reaches outside the screen (-1024,0,2304,1024)",
       false},
      {"capture 1200,1000,81,10 --clipboard", "reaches outside", false},
      {"capture --out C:\\pics\\a.PNG", "C:\\pics\\a.PNG", true},
      {"capture --out C:\\pics\\a --format jpg", "C:\\pics\\a.jpg", true},
      {"capture --out C:\\pics", "C:\\pics\\Vistrel3.bmp", true},
      {"capture --out C:\\pics\\ --format pcx", "C:\\pics\\Vistrel3.pcx", true},
      {"capture --out C:\\ --format dcx", "C:\\Vistrel3.dcx", true},
      {"capture --out C:\\a.tif", "C:\\a.tif", true},
      {"capture --out C:\\gone\\a.png", "The folder \"C:\\gone\" does not exist", false},
      {"capture --out C:\\gone\\", "The folder \"C:\\gone\" does not exist", false},
      {"capture --out C:\\pics\\a.gif", "\".gif\" names no picture format", false},
      {"capture --out C:\\pics\\a", "\"\" names no picture format", false},
      {"capture --out C:\\pics\\a.png --format jpg", "does not match the file's extension", false},
  };
  for (const Case& c : cases) {
    const ParsedCommand parsed = Parse(c.line);
    ASSERT_EQ(parsed.kind, CommandKind::Capture) << c.line << ": " << parsed.error;
    const CheckedCommand checked = CheckCaptureCommand(parsed.capture, world);
    if (c.ok) {
      ASSERT_TRUE(checked.plan.has_value()) << c.line << ": " << checked.error;
      EXPECT_EQ(checked.plan->file, c.fileOrError) << c.line;
    } else {
      EXPECT_FALSE(checked.plan.has_value()) << c.line;
      EXPECT_NE(checked.error.find(c.fileOrError), std::string::npos)
          << c.line << ": " << checked.error;
    }
  }
}

}  // namespace
}  // namespace vistrel
