#include "save_it.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "effects_command.h"
#include "output_picture.h"

namespace vistrel {
namespace {

// A file system in memory, a component and library that record what they are asked.
class FakeSavePorts : public SavePorts {
 public:
  std::set<std::string> files;
  std::vector<std::string> calls;
  long componentResult = 0;
  bool bitmapWritable = true;
  bool pictureEmpty = false;
  bool packerWrites = true;  // false: the packer fails without a word, as into a read-only folder
  bool makerWrites = true;
  std::set<std::string> entries;  // "archive|name" for every name an archive lists

  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  bool PictureEmpty() override { return pictureEmpty; }
  bool ArchiveHolds(const std::string& archive, const std::string& name) override {
    return files.count(archive) > 0 && entries.count(archive + "|" + name) > 0;
  }
  bool WriteBitmap(const std::string& path) override {
    calls.push_back("bmp " + path);
    if (bitmapWritable) files.insert(path);
    return bitmapWritable;
  }
  bool WriteStraightPng(const std::string& path) override {
    calls.push_back("png " + path);
    if (bitmapWritable) files.insert(path);
    return bitmapWritable;
  }
  unsigned long writeError = 0;  // the cause a failed picture write leaves
  unsigned long probeError = 0;  // the cause a write beside an archive meets
  unsigned long LastWriteError() override { return writeError; }
  unsigned long WhyNotWritable(const std::string& target, const std::string& source) override {
    calls.push_back("probe " + target + (files.count(source) ? " with " : " without ") + source);
    return probeError;
  }
  std::string SystemErrorText(unsigned long code) override {
    return "System text " + std::to_string(code) + ".\r\n";
  }
  long ConvertFxPic(const std::string& command) override {
    calls.push_back("convert " + command);
    const std::string prefix = "source=clipboard, dest=";
    // Like the real component, a failed conversion may leave a partial file behind.
    files.insert(command.substr(prefix.size()));
    return componentResult;
  }
  void AddToZip(const std::string& file, const std::string& archive) override {
    calls.push_back("zip " + file + " -> " + archive);
    if (!packerWrites) return;
    files.insert(archive);
    entries.insert(archive + "|" + file.substr(file.rfind('\\') + 1));
  }
  void MakeExe(const std::string& archive) override {
    calls.push_back("exe " + archive);
    if (!makerWrites) return;
    const std::string exe = archive.substr(0, archive.size() - 3) + "exe";
    files.erase(archive);
    files.insert(exe);
    for (const std::string& entry : std::set<std::string>(entries)) {
      if (entry.rfind(archive + "|", 0) == 0) entries.insert(exe + entry.substr(archive.size()));
    }
  }
  void DoEvents() override { calls.push_back("events"); }
  void RemoveFile(const std::string& path) override {
    calls.push_back("delete " + path);
    files.erase(path);
  }
  std::string TempFolder() override { return "C:\\Users\\me\\Temp\\"; }
  LocalTime Now() override { return {1999, 3, 7, 9, 5, 12}; }
  void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }
  void ShowHourglass() override { calls.push_back("hourglass"); }
  void RestorePointer() override { calls.push_back("restore"); }
};

SaveTarget Target(int format, bool zip = false, bool exe = false) {
  SaveTarget target;
  target.folder = "C:\\Pics";
  target.formatEntry = kFileFormats[format];
  target.compressSave = zip;
  target.compileZipSave = exe;
  return target;
}

TEST(SaveIt, BitmapIsWrittenDirectlyAndTheNextNameIsNumbered) {
  FakeSavePorts ports;
  std::string last;
  SaveOutcome first = SaveIt(Target(0), ports, last);
  EXPECT_TRUE(first.saved);
  EXPECT_EQ(last, "C:\\Pics\\Vistrel.bmp");
  EXPECT_EQ(first.saveName, "C:\\Pics\\Vistrel1.bmp");
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{"hourglass", "bmp C:\\Pics\\Vistrel.bmp", "restore"}));
  SaveIt(Target(0), ports, last);
  EXPECT_EQ(last, "C:\\Pics\\Vistrel1.bmp");
}

TEST(SaveIt, OtherFormatsGoThroughTheComponentToTheFile) {
  FakeSavePorts ports;
  std::string last;
  SaveOutcome outcome = SaveIt(Target(3), ports, last);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{
                "hourglass", "convert source=clipboard, dest=C:\\Pics\\Vistrel.png", "restore"}));
  EXPECT_EQ(outcome.saveName, "C:\\Pics\\Vistrel1.png");
}

// With the save page passed through unseen a png is written straight from the
// picture; any other format, and a png from a page the user sees (whose save
// leaves the picture on the clipboard), still goes through the component.
TEST(SaveIt, PngOfAnUnseenSavePageIsWrittenStraightAndOnlyThat) {
  SaveTarget unseen = Target(3);
  unseen.straightToFile = true;
  FakeSavePorts ports;
  std::string last;
  EXPECT_TRUE(SaveIt(unseen, ports, last).saved);
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{"hourglass", "png C:\\Pics\\Vistrel.png", "restore"}));

  SaveTarget jpg = Target(1);
  jpg.straightToFile = true;
  FakeSavePorts other;
  SaveIt(jpg, other, last);
  SaveIt(Target(3), other, last);
  EXPECT_EQ(other.calls,
            (std::vector<std::string>{
                "hourglass", "convert source=clipboard, dest=C:\\Pics\\Vistrel.jpg", "restore",
                "hourglass", "convert source=clipboard, dest=C:\\Pics\\Vistrel.png", "restore"}));
}

// A straight png that could not be written is told like the component's
// failed write, with the system's cause, and keeps nothing in an archive's
// temporary folder.
TEST(SaveIt, StraightPngThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  SaveTarget unseen = Target(3, true);
  unseen.straightToFile = true;
  FakeSavePorts ports;
  ports.bitmapWritable = false;
  ports.writeError = 112;
  std::string last = "C:\\Pics\\earlier.png";
  const SaveOutcome outcome = SaveIt(unseen, ports, last);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(outcome.result, kCannotWrite);
  EXPECT_EQ(ports.calls.back(),
            "message Could not write to that disk / path.\nSystem text 112. "
            "(C:\\Users\\me\\Temp\\1999_3_7_9_5_12.png)");
  EXPECT_TRUE(ports.files.empty());
  EXPECT_EQ(std::count_if(ports.calls.begin(), ports.calls.end(),
                          [](const std::string& call) { return call.rfind("zip", 0) == 0; }),
            0);
}

TEST(SaveIt, EachFailureResultHasItsMessageAfterThePointerReturns) {
  struct Case {
    long result;
    std::string message;
  };
  const std::string command = "source=clipboard, dest=C:\\Pics\\Vistrel.jpg";
  for (const Case& c : std::vector<Case>{
           {33203, "Format not yet supported in this screen resolution / color depth."},
           {33211, "Could not write to that disk / path."},
           {7, std::string("SaveIt-Error while converting. Please send this number to ") +
                   kProblemReportAddress + " 7" + command}}) {
    FakeSavePorts ports;
    ports.componentResult = c.result;
    std::string last;
    SaveOutcome outcome = SaveIt(Target(1), ports, last);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_TRUE(outcome.saveName.empty()) << "SaveName is not refreshed after a failure";
    ASSERT_EQ(ports.calls.size(), 4u);
    EXPECT_EQ(ports.calls[2], "restore");
    EXPECT_EQ(ports.calls[3], "message " + c.message);
  }
}

TEST(SaveIt, UnwritableBitmapIsReportedNotClaimedAsSaved) {
  FakeSavePorts ports;
  ports.bitmapWritable = false;
  std::string last;
  SaveOutcome outcome = SaveIt(Target(0), ports, last);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(ports.calls.back(), "message Could not write to that disk / path.");
}

TEST(SaveIt, ArchiveModePacksTheTemporaryPictureAndRemovesIt) {
  FakeSavePorts ports;
  std::string last;
  SaveOutcome outcome = SaveIt(Target(1, true), ports, last);
  const std::string temp = "C:\\Users\\me\\Temp\\1999_3_7_9_5_12.jpg";
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{"hourglass", "convert source=clipboard, dest=" + temp,
                                      "zip " + temp + " -> C:\\Pics\\Vistrel.zip", "events",
                                      "delete " + temp, "restore"}));
  EXPECT_EQ(last, "C:\\Pics\\Vistrel.zip");
  EXPECT_EQ(ports.files, (std::set<std::string>{"C:\\Pics\\Vistrel.zip"}));
  EXPECT_EQ(outcome.saveName, "C:\\Pics\\Vistrel.zip");
}

TEST(SaveIt, SelfExtractingArchiveOfABitmap) {
  FakeSavePorts ports;
  std::string last;
  SaveIt(Target(0, true, true), ports, last);
  const std::string temp = "C:\\Users\\me\\Temp\\1999_3_7_9_5_12.bmp";
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{
                "hourglass", "bmp " + temp, "zip " + temp + " -> C:\\Pics\\Vistrel.zip", "events",
                "exe C:\\Pics\\Vistrel.zip", "events", "delete " + temp, "restore"}));
  EXPECT_EQ(last, "C:\\Pics\\Vistrel.exe");
}

TEST(SaveIt, ArchiveNameChangesOnlyTheExtension) {
  FakeSavePorts ports;
  std::string last;
  SaveTarget target = Target(1, true, true);
  target.folder = "D:\\zip";
  target.baseName = "zip";
  SaveIt(target, ports, last);
  EXPECT_EQ(last, "D:\\zip\\zip.exe");
}

TEST(SaveIt, FailedArchiveSaveLeavesNoTemporaryFile) {
  FakeSavePorts ports;
  ports.componentResult = 33211;
  std::string last;
  SaveIt(Target(1, true), ports, last);
  EXPECT_TRUE(ports.files.empty());
  for (const std::string& call : ports.calls) EXPECT_NE(call.rfind("zip ", 0), 0u) << call;
}

TEST(SaveIt, EmptyPictureIsRefusedAndNothingIsWritten) {
  // A zero-size selection must not save the previous capture's picture.
  for (int format : {0, 1}) {
    FakeSavePorts ports;
    ports.pictureEmpty = true;
    std::string last = "C:\\Pics\\Earlier.bmp";
    SaveOutcome outcome = SaveIt(Target(format, format == 1), ports, last);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(ports.calls, (std::vector<std::string>{std::string("message ") + kEmptyPictureText}));
    EXPECT_TRUE(ports.files.empty());
    EXPECT_EQ(last, "C:\\Pics\\Earlier.bmp");
  }
}

TEST(SaveIt, ClipboardHeldByAnotherProgramIsReportedInWords) {
  FakeSavePorts ports;
  ports.componentResult = kClipboardBusy;
  std::string last;
  SaveOutcome outcome = SaveIt(Target(3), ports, last);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(ports.calls.back(), std::string("message ") + kClipboardBusyText);
}

TEST(SaveIt, PictureThatDidNotReachItsArchiveIsKeptAndNamed) {
  const std::string temp = "C:\\Users\\me\\Temp\\1999_3_7_9_5_12.jpg";
  struct Case {
    bool exe, packerWrites, makerWrites;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {false, false, true,
            "message The zip-file \"Vistrel.zip\" could not be written in the folder "
            "\"C:\\Pics\". The picture was kept as \"" +
                temp + "\"."},
           {true, false, true,
            "message The zip-file \"Vistrel.zip\" could not be written in the folder "
            "\"C:\\Pics\". The picture was kept as \"" +
                temp + "\"."},
           {true, true, false,
            "message The self-extracting file \"Vistrel.exe\" could not be written in the folder "
            "\"C:\\Pics\". The picture was kept as \"" +
                temp + "\"."}}) {
    FakeSavePorts ports;
    ports.packerWrites = c.packerWrites;
    ports.makerWrites = c.makerWrites;
    std::string last = "C:\\Pics\\Vistrel3.jpg";
    SaveOutcome outcome = SaveIt(Target(1, true, c.exe), ports, last);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(last, "C:\\Pics\\Vistrel3.jpg") << "LastSavedFile must not name a missing archive";
    EXPECT_TRUE(ports.files.count(temp)) << "the temporary picture is kept";
    EXPECT_EQ(ports.calls.back(), c.message);
    EXPECT_EQ(ports.calls[ports.calls.size() - 2], "restore");
  }
  // An earlier archive of the same name does not pass for this picture's.
  FakeSavePorts ports;
  ports.files.insert("C:\\Pics\\Vistrel.zip");
  ports.packerWrites = false;
  std::string last;
  EXPECT_FALSE(SaveIt(Target(1, true), ports, last).saved);
}

TEST(SaveIt, FailureMessagesNameTheSystemsCauseAndThePathBelowTheirOwnLine) {
  const std::string temp = "C:\\Users\\me\\Temp\\1999_3_7_9_5_12.jpg";
  const std::string notWritten = "Could not write to that disk / path.";
  const std::string zipNotWritten =
      "The zip-file \"Vistrel.zip\" could not be written in the folder \"C:\\Pics\". The "
      "picture was kept as \"" +
      temp + "\".";
  struct Case {
    const char* what;
    int format;
    bool zip;
    long componentResult;
    bool bitmapWritable, packerWrites;
    unsigned long writeError, probeError;
    std::string message;
  };
  for (const Case& c :
       std::vector<Case>{{"bitmap on a full disk", 0, false, 0, false, true, 112, 0,
                          notWritten + "\nSystem text 112. (C:\\Pics\\Vistrel.bmp)"},
                         {"component into a read-only folder", 1, false, 33211, true, true, 19, 0,
                          notWritten + "\nSystem text 19. (C:\\Pics\\Vistrel.jpg)"},
                         // A missing folder is what the cause concerns, not the file in it.
                         {"bitmap into a missing folder", 0, false, 0, false, true, 3, 0,
                          notWritten + "\nSystem text 3. (C:\\Pics)"},
                         {"no cause named", 0, false, 0, false, true, 0, 0, notWritten},
                         // Only a write the component could not make has a system cause.
                         {"refused format", 1, false, 33203, true, true, 112, 0,
                          "Format not yet supported in this screen resolution / color depth."},
                         {"archive on a full disk", 1, true, 0, true, false, 0, 112,
                          zipNotWritten + "\nSystem text 112. (C:\\Pics\\Vistrel.zip)"},
                         {"archive into a vanished folder", 1, true, 0, true, false, 0, 3,
                          zipNotWritten + "\nSystem text 3. (C:\\Pics)"},
                         {"archive refused for no cause the system sees", 1, true, 0, true, false,
                          0, 0, zipNotWritten}}) {
    SCOPED_TRACE(c.what);
    FakeSavePorts ports;
    ports.componentResult = c.componentResult;
    ports.bitmapWritable = c.bitmapWritable;
    ports.packerWrites = c.packerWrites;
    ports.writeError = c.writeError;
    ports.probeError = c.probeError;
    std::string last;
    EXPECT_FALSE(SaveIt(Target(c.format, c.zip), ports, last).saved);
    EXPECT_EQ(ports.calls.back(), "message " + c.message);
    if (c.zip) {
      // The cause is looked for while the picture it is measured by is still there.
      EXPECT_NE(std::find(ports.calls.begin(), ports.calls.end(),
                          "probe C:\\Pics\\Vistrel.zip with " + temp),
                ports.calls.end());
    }
  }
}

TEST(SaveIt, TemporaryNameHasNoLeadingZeros) {
  EXPECT_EQ(TemporaryPictureName("T:\\", {2026, 12, 8, 0, 40, 3}, ".png"),
            "T:\\2026_12_8_0_40_3.png");
}

}  // namespace
}  // namespace vistrel
