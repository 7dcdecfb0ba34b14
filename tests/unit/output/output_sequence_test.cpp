// The output sequence save and mail share: every step checked, the right file
// named when one fails, and nothing temporary left behind, whichever step fails
// and however (a refused write, a silent packer, an exception).
#include "output_sequence.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vistrel {
namespace {

// A file system in memory; a component and a packer that record what they are asked.
class FakeOutputPorts : public OutputPorts {
 public:
  std::set<std::string> files;
  std::set<std::string> entries;  // "archive|name" for every name an archive lists
  std::vector<std::string> calls;
  long componentResult = 0;
  bool componentWrites = true;  // false: the component answers 0 and writes nothing
  bool bitmapWritable = true;
  bool packerWrites = true;  // false: a half-made archive that lists nothing
  bool makerWrites = true;
  std::string throwAt;  // a call that throws

  bool WriteBitmap(const std::string& path) override {
    Call("bmp " + path);
    if (bitmapWritable) files.insert(path);
    return bitmapWritable;
  }
  long ConvertFxPic(const std::string& command) override {
    Call("convert " + command);
    // Like the real component, a failed conversion may leave a partial file behind.
    if (componentWrites) files.insert(command.substr(command.find("dest=") + 5));
    return componentResult;
  }
  void AddToZip(const std::string& file, const std::string& archive) override {
    files.insert(archive);
    Call("zip " + file + " -> " + archive);
    if (packerWrites) entries.insert(archive + "|" + file.substr(file.rfind('\\') + 1));
  }
  void MakeExe(const std::string& archive) override {
    const std::string exe = archive.substr(0, archive.size() - 3) + "exe";
    files.insert(exe);
    Call("exe " + archive);
    if (!makerWrites) return;
    files.erase(archive);
    for (const std::string& entry : std::set<std::string>(entries)) {
      if (entry.rfind(archive + "|", 0) == 0) entries.insert(exe + entry.substr(archive.size()));
    }
  }
  bool ArchiveHolds(const std::string& archive, const std::string& name) override {
    return files.count(archive) > 0 && entries.count(archive + "|" + name) > 0;
  }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  void RemoveFile(const std::string& path) override {
    calls.push_back("delete " + path);
    files.erase(path);
  }
  void DoEvents() override { calls.push_back("events"); }

 private:
  void Call(const std::string& call) {
    calls.push_back(call);
    if (!throwAt.empty() && call.rfind(throwAt, 0) == 0) throw std::runtime_error(throwAt);
  }
};

const std::string kTemp = "C:\\Temp\\2026_3_7_9_5_12.jpg";
const std::string kZip = "C:\\Temp\\2026_3_7_9_5_12.zip";
const std::string kExe = "C:\\Temp\\2026_3_7_9_5_12.exe";

// A mail's attachment: everything the sequence writes is temporary.
OutputRequest Attachment(bool zip, bool exe) {
  OutputRequest request;
  request.picture = kTemp;
  if (zip) request.archive = kZip;
  request.selfExtracting = exe;
  request.temporaryPicture = true;
  request.temporaryArchive = true;
  return request;
}

TEST(OutputSequence, StepsRunInOrderAndTheTemporaryPictureGoesOncePacked) {
  FakeOutputPorts ports;
  std::vector<std::string> announced;
  const OutputResult result =
      WriteOutput(Attachment(true, true), ports, [&](OutputStep step, bool done, bool ok) {
        announced.push_back(std::to_string(static_cast<int>(step)) + (done ? " done" : " start") +
                            (ok ? " ok" : ""));
      });
  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.made, kExe);
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"convert source=clipboard, dest=" + kTemp,
                                                   "zip " + kTemp + " -> " + kZip, "events",
                                                   "exe " + kZip, "events", "delete " + kTemp}));
  EXPECT_EQ(announced, (std::vector<std::string>{"0 start", "0 done ok", "1 start", "1 done ok",
                                                 "2 start", "2 done ok"}));
  EXPECT_EQ(ports.files, (std::set<std::string>{kExe}));

  // Without an archive the picture is the output, and stays.
  FakeOutputPorts plain;
  OutputRequest request = Attachment(false, false);
  request.bitmap = true;
  const OutputResult picture = WriteOutput(request, plain);
  EXPECT_TRUE(picture.written);
  EXPECT_EQ(picture.made, kTemp);
  EXPECT_EQ(plain.calls, (std::vector<std::string>{"bmp " + kTemp}));
  EXPECT_EQ(plain.files, (std::set<std::string>{kTemp}));
}

TEST(OutputSequence, EachFailingStepOfAnAttachmentLeavesNothingAndNamesItsFile) {
  struct Case {
    const char* what;
    bool zip, exe;
    void (*breakIt)(FakeOutputPorts&);
    OutputStep step;
    long result;
    std::string made;
    std::string text;  // the failed archive step's message, empty for the picture step
  };
  const Case cases[] = {
      {"component refuses", false, false, [](FakeOutputPorts& p) { p.componentResult = 33203; },
       OutputStep::Picture, 33203, kTemp, ""},
      {"component claims a file it did not write", true, false,
       [](FakeOutputPorts& p) { p.componentWrites = false; }, OutputStep::Picture, kCannotWrite,
       kTemp, ""},
      {"packer silent", true, false, [](FakeOutputPorts& p) { p.packerWrites = false; },
       OutputStep::Archive, 0, kZip,
       "The zip-file \"2026_3_7_9_5_12.zip\" could not be written in the folder \"C:\\Temp\"."},
      {"packer silent before an exe", true, true,
       [](FakeOutputPorts& p) { p.packerWrites = false; }, OutputStep::Archive, 0, kZip,
       "The zip-file \"2026_3_7_9_5_12.zip\" could not be written in the folder \"C:\\Temp\"."},
      {"maker silent", true, true, [](FakeOutputPorts& p) { p.makerWrites = false; },
       OutputStep::SelfExtractor, 0, kExe,
       "The self-extracting file \"2026_3_7_9_5_12.exe\" could not be written in the folder "
       "\"C:\\Temp\"."},
  };
  for (const Case& c : cases) {
    FakeOutputPorts ports;
    c.breakIt(ports);
    const OutputResult result = WriteOutput(Attachment(c.zip, c.exe), ports);
    EXPECT_FALSE(result.written) << c.what;
    EXPECT_EQ(result.failedStep, c.step) << c.what;
    EXPECT_EQ(result.result, c.result) << c.what;
    EXPECT_EQ(result.made, c.made) << c.what;
    EXPECT_EQ(result.command, "source=clipboard, dest=" + kTemp) << c.what;
    EXPECT_TRUE(ports.files.empty()) << c.what << ": left " << *ports.files.begin();
    EXPECT_TRUE(result.keptPicture.empty()) << c.what;
    if (!c.text.empty()) {
      EXPECT_EQ(ArchiveNotWrittenText(result.made), c.text) << c.what;
    }
    if (c.step == OutputStep::Archive) {
      for (const std::string& call : ports.calls) {
        EXPECT_NE(call.rfind("exe ", 0), 0u) << c.what;
      }
    }
  }
}

TEST(OutputSequence, SavedArchiveKeepsThePictureWhenPackingFailsAndNeverTouchesTheArchive) {
  // The user's archive may hold earlier pictures; the picture is all there is of this one.
  for (bool exe : {false, true}) {
    FakeOutputPorts ports;
    ports.files.insert("C:\\Pics\\Vistrel.zip");  // an earlier save's
    (exe ? ports.makerWrites : ports.packerWrites) = false;
    OutputRequest request;
    request.picture = kTemp;
    request.archive = "C:\\Pics\\Vistrel.zip";
    request.selfExtracting = exe;
    request.temporaryPicture = true;
    const OutputResult result = WriteOutput(request, ports);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.keptPicture, kTemp);
    EXPECT_TRUE(ports.files.count(kTemp));
    EXPECT_TRUE(ports.files.count("C:\\Pics\\Vistrel.zip") || exe);
    for (const std::string& call : ports.calls) {
      EXPECT_NE(call.rfind("delete ", 0), 0u) << call;
    }
  }
}

TEST(OutputSequence, ExceptionInAnyStepRemovesTheTemporariesAndIsPassedOn) {
  for (const char* at : {"convert", "zip", "exe"}) {
    FakeOutputPorts ports;
    ports.throwAt = at;
    EXPECT_THROW(WriteOutput(Attachment(true, true), ports), std::runtime_error) << at;
    EXPECT_TRUE(ports.files.empty()) << at << ": left " << *ports.files.begin();
  }
  // A saved picture that is the output itself is not the sequence's to remove.
  FakeOutputPorts ports;
  ports.throwAt = "zip";
  OutputRequest request;
  request.picture = kTemp;
  request.archive = "C:\\Pics\\Vistrel.zip";
  EXPECT_THROW(WriteOutput(request, ports), std::runtime_error);
  EXPECT_TRUE(ports.files.count(kTemp));
}

TEST(OutputSequence, NamesOfTemporaryAndMadeFiles) {
  EXPECT_EQ(TemporaryPictureName("T:\\", {2026, 12, 8, 0, 40, 3}, ".png"),
            "T:\\2026_12_8_0_40_3.png");
  EXPECT_EQ(SelfExtractorPath("D:\\zip\\zip.zip"), "D:\\zip\\zip.exe");
  EXPECT_EQ(ArchiveNotWrittenText("C:\\Pics\\Vistrel.EXE"),
            "The self-extracting file \"Vistrel.EXE\" could not be written in the folder "
            "\"C:\\Pics\".");
}

}  // namespace
}  // namespace vistrel
