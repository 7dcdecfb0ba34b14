// AddToZip and MakeExe on an in-memory system: the order of the steps, the
// messages, and that no failure costs the user a file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "sfx_header.h"
#include "sfx_stub_search.h"
#include "zip_master.h"
#include "zip_test_archive.h"

namespace vistlib::zip {
namespace {

using ziptest::Bytes;

class FakeSystem;

class FakePacker : public PackerModule {
 public:
  FakePacker(FakeSystem& system, bool exec, bool version) : system_(system), exec_(exec), version_(version) {}
  bool HasExec() const override { return exec_; }
  bool HasVersion() const override { return version_; }
  std::optional<int32_t> Exec(ParamBlock* block) override;

 private:
  FakeSystem& system_;
  bool exec_, version_;
};

class FakeSystem : public ZipSystem {
 public:
  std::map<std::string, Bytes> files;
  std::vector<std::string> messages;
  std::vector<std::string> loads;
  std::set<std::string> packerPaths = {"ZIPDLL.DLL"};
  bool packerHasExec = true, packerHasVersion = true;
  // What the packer does with the block; nothing means it faulted.
  std::function<std::optional<int32_t>(ParamBlock&)> pack = [](ParamBlock&) { return 1; };
  int processed = 0;
  int64_t failWritesAfter = -1;  // bytes a created file accepts before failing
  std::string cursor = "default";

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  int64_t FileSize(const std::string& path) override {
    auto it = files.find(path);
    return it == files.end() ? -1 : static_cast<int64_t>(it->second.size());
  }
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<ziptest::MemorySource>(it->second);
  }
  std::unique_ptr<ByteSink> Create(const std::string& path) override;
  bool Delete(const std::string& path) override { return files.erase(path) > 0; }
  bool MoveReplacing(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end()) return false;
    files[to] = it->second;
    files.erase(from);
    return true;
  }
  std::unique_ptr<PackerModule> LoadPacker(const std::string& path) override {
    loads.push_back(path);
    if (!packerPaths.count(path)) return nullptr;
    return std::make_unique<FakePacker>(*this, packerHasExec, packerHasVersion);
  }
  std::string CurrentDirectory() override { return "C:\\cwd"; }
  unsigned long ProcessId() override { return 4242; }
  std::string HostProgramDirectory() override { return "C:\\prog"; }
  std::string SystemDirectory() override { return "C:\\windows\\system32"; }
  std::string WindowsDirectory() override { return "C:\\windows"; }
  void ShowHourglass() override { cursor = "hourglass"; }
  void RestoreCursor() override { cursor = "default"; }
  void ProcessMessages() override { ++processed; }
};

class FakeSink : public ByteSink {
 public:
  FakeSink(FakeSystem& system, std::string path) : system_(system), path_(std::move(path)) {}
  bool Write(const void* data, std::size_t n) override {
    Bytes& file = system_.files[path_];
    if (system_.failWritesAfter >= 0 && static_cast<int64_t>(file.size() + n) > system_.failWritesAfter) {
      return false;
    }
    file.insert(file.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
    return true;
  }
  bool Close() override { return true; }

 private:
  FakeSystem& system_;
  std::string path_;
};

std::unique_ptr<ByteSink> FakeSystem::Create(const std::string& path) {
  files[path].clear();
  return std::make_unique<FakeSink>(*this, path);
}

std::optional<int32_t> FakePacker::Exec(ParamBlock* block) { return system_.pack(*block); }

Bytes Archive() { return ziptest::MakeArchive({{"a.bmp", "pixels", ""}}).bytes; }

class ZipMasterTest : public ::testing::Test {
 protected:
  FakeSystem system;
  TZipMaster zip{system, reinterpret_cast<void*>(0x42)};
};

TEST_F(ZipMasterTest, AddToZipHandsTheBlockToThePackerAndRereadsTheArchive) {
  std::vector<std::string> seenSpecs;
  system.pack = [&](ParamBlock& b) -> std::optional<int32_t> {
    for (int i = 0; i < b.specCount; ++i) seenSpecs.push_back(b.specs[i]);
    EXPECT_STREQ(b.archivePath, "C:\\out\\a.zip");
    EXPECT_EQ(b.caller, &zip);
    EXPECT_EQ(b.handle, reinterpret_cast<void*>(0x42));
    EXPECT_TRUE(zip.Busy());
    system.files["C:\\out\\a.zip"] = Archive();
    return 1;
  };
  AddToZip(zip, "C:\\in\\a.bmp", "C:\\out\\a.zip");
  EXPECT_EQ(seenSpecs, std::vector<std::string>{"C:\\in\\a.bmp"});
  EXPECT_EQ(system.messages, std::vector<std::string>{});
  EXPECT_EQ(zip.SuccessCnt(), 1);
  EXPECT_FALSE(zip.Busy());
  EXPECT_TRUE(zip.FSpecArgs.empty());
  ASSERT_EQ(zip.ZipContents().size(), 1u);
  EXPECT_EQ(zip.ZipContents()[0].name, "a.bmp");
}

TEST_F(ZipMasterTest, MissingPackerIsReportedAndForgetsTheSpecification) {
  system.packerPaths.clear();
  AddToZip(zip, "C:\\in\\a.bmp", "C:\\out\\a.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{"ZIPDLL.DLL not found"});
  EXPECT_FALSE(zip.Busy());
  // The next run packs its own file only.
  system.packerPaths = {"ZIPDLL.DLL"};
  int count = -1;
  system.pack = [&](ParamBlock& b) -> std::optional<int32_t> {
    count = b.specCount;
    return 1;
  };
  AddToZip(zip, "C:\\in\\b.bmp", "C:\\out\\b.zip");
  EXPECT_EQ(count, 1);
}

TEST_F(ZipMasterTest, MissingFunctionsAndFaultsAreReported) {
  system.packerHasExec = false;
  system.packerHasVersion = false;
  bool called = false;
  system.pack = [&](ParamBlock&) -> std::optional<int32_t> {
    called = true;
    return 1;
  };
  AddToZip(zip, "a.bmp", "a.zip");
  EXPECT_FALSE(called);
  EXPECT_EQ(system.messages, (std::vector<std::string>{"ZipDllExec function not found in ZIPDLL.DLL",
                                                       "GetZipDllVersion function not found in ZIPDLL.DLL",
                                                       "Fatal DLL Error: abort exception"}));
  system.messages.clear();
  system.packerHasExec = system.packerHasVersion = true;
  system.pack = [](ParamBlock&) -> std::optional<int32_t> { return std::nullopt; };
  AddToZip(zip, "a.bmp", "a.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{"Fatal DLL Error: abort exception"});
  EXPECT_EQ(zip.SuccessCnt(), 0);
  EXPECT_FALSE(zip.Busy());
}

TEST_F(ZipMasterTest, NoArchiveNameAndOverlongPathsAreRefused) {
  AddToZip(zip, "a.bmp", "");
  EXPECT_EQ(system.messages, std::vector<std::string>{"Error - no zip file specified"});
  EXPECT_TRUE(system.loads.empty());
  EXPECT_TRUE(zip.FSpecArgs.empty());
  system.messages.clear();
  bool called = false;
  system.pack = [&](ParamBlock&) -> std::optional<int32_t> {
    called = true;
    return 1;
  };
  AddToZip(zip, "C:\\" + std::string(253, 'a'), "a.zip");
  EXPECT_FALSE(called);  // cut to 255 it would name another file
  ASSERT_EQ(system.messages.size(), 1u);
}

TEST_F(ZipMasterTest, PackerInDllDirectoryIsPreferredWhenItExists) {
  zip.SetDLLDirectory("C:\\pk\\");
  EXPECT_EQ(zip.DLLDirectory(), "C:\\pk");
  AddToZip(zip, "a.bmp", "a.zip");
  system.files["C:\\pk\\ZIPDLL.DLL"] = {};
  system.packerPaths.insert("C:\\pk\\ZIPDLL.DLL");
  AddToZip(zip, "a.bmp", "a.zip");
  EXPECT_EQ(system.loads, (std::vector<std::string>{"ZIPDLL.DLL", "C:\\pk\\ZIPDLL.DLL"}));
}

TEST_F(ZipMasterTest, ASecondRunDuringARunDoesNothing) {
  int runs = 0;
  system.pack = [&](ParamBlock&) -> std::optional<int32_t> {
    ++runs;
    AddToZip(zip, "other.bmp", "other.zip");
    return 1;
  };
  AddToZip(zip, "a.bmp", "a.zip");
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(system.loads.size(), 1u);
  EXPECT_TRUE(zip.FSpecArgs.empty());
}

TEST_F(ZipMasterTest, CallbackForwardsToHandlersAndGoesOnUnlessCancelled) {
  std::vector<std::string> seen;
  zip.OnProgress = [&](int32_t action, const std::string& name, int64_t size) {
    seen.push_back(std::to_string(action) + name + std::to_string(size));
  };
  zip.OnMessage = [&](int32_t code, const std::string& text) { seen.push_back(std::to_string(code) + text); };
  CallbackRecord r{};
  r.caller = &zip;
  r.actionCode = 1;
  r.fileSize = 5;
  std::strcpy(r.text, "a.bmp");
  EXPECT_EQ(TZipMaster::Callback(&r), 0);
  r.actionCode = 4;
  r.errorCode = 7;
  std::strcpy(r.text, "disk full\r\n");
  EXPECT_EQ(TZipMaster::Callback(&r), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"1a.bmp5", "7disk full"}));
  zip.SetCancel(true);
  EXPECT_EQ(TZipMaster::Callback(&r), -1);
}

TEST_F(ZipMasterTest, CallbackLeavesThePackersRecordAsItWasGiven) {
  // The record belongs to the packer; a text that fills it to the end is read, not cut in place.
  std::string name;
  zip.OnProgress = [&](int32_t, const std::string& text, int64_t) { name = text; };
  CallbackRecord r{};
  r.caller = &zip;
  r.actionCode = kActionStart;
  std::memset(r.text, 'x', sizeof r.text);
  CallbackRecord before = r;
  EXPECT_EQ(TZipMaster::Callback(&r), 0);
  EXPECT_EQ(std::memcmp(&before, &r, sizeof r), 0);
  EXPECT_EQ(name, std::string(sizeof r.text, 'x'));
}

class MakeExeTest : public ZipMasterTest {
 protected:
  void SetUp() override {
    stub = Bytes(20000, 0xCC);
    system.files["C:\\prog\\ZIPSFX.BIN"] = stub;
    system.files["C:\\out\\a.zip"] = Archive();
  }
  Bytes stub;
};

TEST_F(MakeExeTest, WritesStubHeaderArchiveAndRemovesTheArchive) {
  MakeExe(zip, "C:\\out\\a.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{});
  ASSERT_TRUE(system.files.count("C:\\out\\a.exe"));
  EXPECT_FALSE(system.files.count("C:\\out\\a.zip"));
  const Bytes& exe = system.files["C:\\out\\a.exe"];
  Bytes expected = stub;
  const SfxHeader header = *BuildSfxHeader(ZipSettings{});
  expected.insert(expected.end(), header.begin(), header.end());
  const Bytes archive = Archive();
  expected.insert(expected.end(), archive.begin(), archive.end());
  EXPECT_EQ(exe, expected);
  EXPECT_EQ(zip.ZipFilename(), "C:\\out\\a.exe");
  EXPECT_EQ(zip.ZipContents().size(), 1u);  // reread from the executable
  EXPECT_EQ(zip.SFXPath(), "C:\\prog\\ZIPSFX.BIN");
  EXPECT_GE(system.processed, 3);  // 20000 bytes of stub are three blocks
  EXPECT_EQ(system.cursor, "default");
  EXPECT_EQ(system.files.size(), 2u);  // no temporary file left
}

TEST_F(MakeExeTest, StubIsSearchedInOrder) {
  system.files["C:\\windows\\ZIPSFX.BIN"] = Bytes(15000, 1);
  system.files["C:\\cwd\\ZIPSFX.BIN"] = Bytes(16000, 2);
  MakeExe(zip, "C:\\out\\a.zip");
  EXPECT_EQ(zip.SFXPath(), "C:\\cwd\\ZIPSFX.BIN");
  // Once found it is kept even when an earlier place gains a stub.
  system.files["C:\\out\\b.zip"] = Archive();
  MakeExe(zip, "C:\\out\\b.zip");
  EXPECT_EQ(zip.SFXPath(), "C:\\cwd\\ZIPSFX.BIN");

  SfxSearchPlaces places{"", "C:\\cwd", "C:\\prog", "C:\\sys", "C:\\win", "C:\\dll"};
  std::vector<std::string> asked;
  FindSfxStub(places, [&](const std::string& p) {
    asked.push_back(p);
    return false;
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\cwd\\ZIPSFX.BIN", "C:\\prog\\ZIPSFX.BIN",
                                             "C:\\sys\\ZIPSFX.BIN", "C:\\win\\ZIPSFX.BIN",
                                             "C:\\dll\\ZIPSFX.BIN"}));
}

TEST_F(MakeExeTest, RefusalsChangeNothing) {
  const auto before = system.files;
  MakeExe(zip, "C:\\out\\missing.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{"Error - no zip file specified"});

  system.messages.clear();
  system.files["C:\\out\\a.txt"] = Archive();
  const auto withText = system.files;
  MakeExe(zip, "C:\\out\\a.txt");
  EXPECT_EQ(system.messages, std::vector<std::string>{"Error: input file is not a zip file"});
  EXPECT_EQ(system.files, withText);

  system.messages.clear();
  system.files.erase("C:\\prog\\ZIPSFX.BIN");
  const auto noStub = system.files;
  MakeExe(zip, "C:\\out\\a.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{"Error - ZIPSFX.BIN not found"});
  EXPECT_EQ(system.files, noStub);
}

TEST_F(MakeExeTest, FailedWriteKeepsTheArchiveAndTheEarlierExecutable) {
  const Bytes earlier(100, 'E');
  system.files["C:\\out\\a.exe"] = earlier;
  system.failWritesAfter = 12000;
  MakeExe(zip, "C:\\out\\a.zip");
  EXPECT_EQ(system.messages, std::vector<std::string>{});
  EXPECT_EQ(system.files["C:\\out\\a.exe"], earlier);
  EXPECT_EQ(system.files["C:\\out\\a.zip"], Archive());
  EXPECT_EQ(system.files.size(), 3u);  // the partial output is gone
  EXPECT_EQ(system.cursor, "default");
  EXPECT_FALSE(zip.Busy());
}

TEST_F(MakeExeTest, LargerExistingExecutableIsReplacedWhole) {
  system.files["C:\\out\\a.exe"] = Bytes(500000, 'E');
  MakeExe(zip, "C:\\out\\a.zip");
  EXPECT_EQ(system.files["C:\\out\\a.exe"].size(), stub.size() + 256 + Archive().size());
}

TEST(SfxPaths, ExtensionHandling) {
  EXPECT_EQ(ChangeExtension("C:\\a.b\\shot.zip", ".exe"), "C:\\a.b\\shot.exe");
  EXPECT_EQ(ChangeExtension("C:\\a.b\\shot", ".exe"), "C:\\a.b\\shot.exe");
  EXPECT_EQ(ExtensionOf("C:\\a.zip\\shot"), "");
  EXPECT_EQ(UpperAscii(ExtensionOf("x.Zip")), ".ZIP");
  EXPECT_EQ(JoinPath("C:\\", "ZIPSFX.BIN"), "C:\\ZIPSFX.BIN");
}

}  // namespace
}  // namespace vistlib::zip
