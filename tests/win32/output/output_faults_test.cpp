// Outputs that must not pass off a wrong or missing picture as success: an empty
// FxPic, a clipboard held by another program, a picture that did not reach its
// archive (with the real capture library and packer).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fx_exchange_win.h"
#include "leftover_files_win.h"
#include "message_box_answerer.h"
#include "output_picture.h"
#include "partial_file_name.h"
#include "program_paths_win.h"
#include "save_it_win.h"
#include "test_bitmaps.h"
#include "test_files.h"

namespace vistrel {
namespace {

using testing::FilesIn;
using testing::MessageBoxAnswerer;
using testing::PatternBitmap;

std::string NewFolder(const char* name) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  std::string folder = std::string(base) + name + std::to_string(GetCurrentProcessId()) + "_" +
                       std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Holds the clipboard open from a window of another thread, as a slow program does
// (an open without a window would count as ours: the clipboard knows its holder by window).
class ClipboardHolder {
 public:
  ClipboardHolder() {
    thread_ = std::thread([this] {
      HWND window =
          CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
      if (window && OpenClipboard(window)) {
        opened_ = true;
        while (!release_) Sleep(10);
        CloseClipboard();
      }
      opened_ = true;  // also when it could not: the test then fails on its checks
      if (window) DestroyWindow(window);
    });
    while (!opened_) Sleep(5);
  }
  ~ClipboardHolder() {
    release_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> opened_{false};
  std::atomic<bool> release_{false};
  std::thread thread_;
};

class OutputFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    SetConvertImage([this](const std::string& command) -> long {
      commands_.push_back(command);
      return 0;
    });
  }
  void TearDown() override { SetConvertImage(nullptr); }
  std::vector<std::string> commands_;
};

TEST_F(OutputFaults, EmptyPictureIsRefusedByEffectsAndSave) {
  // The previous capture's FxPic must not survive an empty TempPic.
  SharedPicture fx = MakePicture(PatternBitmap(4, 4));
  EffectsBoxes turned;
  turned.rotText = "90";
  EXPECT_EQ(DoFxWin(nullptr, turned, {15, 15.0, '.'}, nullptr, fx), 0);
  EXPECT_EQ(fx, nullptr);
  EXPECT_TRUE(commands_.empty()) << "the component converted what the clipboard held";

  const std::string folder = NewFolder("vistrel_empty_");
  std::string last = "C:\\earlier.bmp";
  MessageBoxAnswerer answerer(kProgramTitle);
  for (int format : {0, 3}) {
    SaveTarget target;
    target.folder = folder;
    target.formatEntry = kFileFormats[format];
    EXPECT_FALSE(SaveItWin(nullptr, target, nullptr, last).saved);
  }
  EXPECT_EQ(answerer.Texts(), (std::vector<std::string>{kEmptyPictureText, kEmptyPictureText}));
  EXPECT_TRUE(FilesIn(folder).empty());
  EXPECT_TRUE(commands_.empty());
  EXPECT_EQ(last, "C:\\earlier.bmp");
}

TEST_F(OutputFaults, RefusedConversionLeavesNothingToSave) {
  // The component refuses a width below one pixel and leaves the clipboard as
  // it was: holding TempPic, which must not go out as the converted picture.
  SetConvertImage([this](const std::string& command) -> long {
    commands_.push_back(command);
    return 33205;
  });
  HBITMAP temp = PatternBitmap(60, 40);
  SharedPicture fx = MakePicture(PatternBitmap(2, 2));
  EffectsBoxes tiny;
  tiny.percText = "1";
  tiny.scaleTextX = "0.6";
  const std::string folder = NewFolder("vistrel_refused_");
  MessageBoxAnswerer answerer(kProgramTitle);
  EXPECT_EQ(DoFxWin(nullptr, tiny, {15, 15.0, '.'}, temp, fx), 33205);
  EXPECT_EQ(fx, nullptr) << "the unconverted picture became the output";
  for (int format : {0, 3}) {
    SaveTarget target;
    target.folder = folder;
    target.formatEntry = kFileFormats[format];
    std::string last;
    EXPECT_FALSE(SaveItWin(nullptr, target, Handle(fx), last).saved);
  }
  const std::vector<std::string> texts = answerer.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0],
            DoFxErrorText(33205, "source=clipboard, dest=clipboard,rot=0,rescale=0.6pix"));
  EXPECT_EQ(texts[1], kEmptyPictureText);
  EXPECT_EQ(texts[2], kEmptyPictureText);
  EXPECT_EQ(commands_.size(), 1u) << "only the effects went to the component";
  EXPECT_TRUE(FilesIn(folder).empty());
  DeleteObject(temp);
}

TEST_F(OutputFaults, ClipboardHeldByAnotherProgramStopsTheSaveAndTheEffects) {
  HBITMAP picture = PatternBitmap(5, 3);
  const std::string folder = NewFolder("vistrel_busy_");
  MessageBoxAnswerer answerer(kProgramTitle);
  SharedPicture fx = MakePicture(PatternBitmap(2, 2));
  {
    ClipboardHolder holder;
    SaveTarget target;
    target.folder = folder;
    target.formatEntry = kFileFormats[3];
    std::string last;
    EXPECT_FALSE(SaveItWin(nullptr, target, picture, last).saved);

    EffectsBoxes turned;
    turned.rotText = "90";
    EXPECT_EQ(DoFxWin(nullptr, turned, {15, 15.0, '.'}, picture, fx), kClipboardBusy);
  }
  EXPECT_EQ(answerer.Texts(), (std::vector<std::string>{kClipboardBusyText, kClipboardBusyText}));
  EXPECT_TRUE(commands_.empty()) << "the component was asked to convert a stranger's picture";
  EXPECT_TRUE(FilesIn(folder).empty());
  EXPECT_EQ(fx, nullptr) << "FxPic kept an earlier picture";
  DeleteObject(picture);
}

std::string TempPictureMentioned(const std::string& message) {
  const std::string marker = "The picture was kept as \"";
  const size_t at = message.find(marker);
  if (at == std::string::npos) return "";
  const size_t start = at + marker.size();
  return message.substr(start, message.find('"', start) - start);
}

TEST_F(OutputFaults, PictureThatDidNotReachItsArchiveIsKeptAndReported) {
  HBITMAP picture = PatternBitmap(6, 4);
  // A folder that vanished after it was chosen, and an existing archive that is damaged.
  const std::string gone = NewFolder("vistrel_gone_");
  RemoveDirectoryA(gone.c_str());
  const std::string damaged = NewFolder("vistrel_damaged_");
  std::ofstream(damaged + "\\Vistrel.zip", std::ios::binary) << "PK\x03\x04 not really a zip";
  for (const std::string& folder : {gone, damaged}) {
    MessageBoxAnswerer answerer(kProgramTitle);
    SaveTarget target;
    target.folder = folder;
    target.formatEntry = kFileFormats[0];
    target.compressSave = true;
    std::string last = "C:\\earlier.bmp";
    EXPECT_FALSE(SaveItWin(nullptr, target, picture, last).saved) << folder;
    EXPECT_EQ(last, "C:\\earlier.bmp") << folder;
    const std::vector<std::string> texts = answerer.Texts();
    ASSERT_FALSE(texts.empty()) << folder << ": nothing was said";
    const std::string& ours = texts.back();
    EXPECT_NE(ours.find("\"Vistrel.zip\" could not be written in the folder \"" + folder + "\""),
              std::string::npos)
        << ours;
    const std::string kept = TempPictureMentioned(ours);
    EXPECT_TRUE(FileCanBeRead(kept)) << "the picture named in the message is gone: " << kept;
    DeleteFileA(kept.c_str());
  }
  DeleteObject(picture);
}

TEST_F(OutputFaults, ArchiveListsTheSavedPicture) {
  HBITMAP picture = PatternBitmap(6, 4);
  const std::string folder = NewFolder("vistrel_packed_");
  SaveTarget target;
  target.folder = folder;
  target.formatEntry = kFileFormats[0];
  target.compressSave = true;
  std::string last;
  EXPECT_TRUE(SaveItWin(nullptr, target, picture, last).saved);
  EXPECT_EQ(last, folder + "\\Vistrel.zip");
  EXPECT_FALSE(ArchiveListsEntry(last, "no such picture.bmp"));
  DeleteObject(picture);
}

// The cause of a failed write reaches the caller: from our bitmap writer, and
// from the probe that finds why the packer could not write.
TEST_F(OutputFaults, FailedWritesLeaveTheSystemsCause) {
  HBITMAP picture = PatternBitmap(6, 4);
  const std::string folder = NewFolder("vistrel_cause_");
  const std::string missing = folder + "\\gone\\p.bmp";
  SetLastError(0);
  EXPECT_FALSE(WriteBitmapFile(picture, missing));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  const std::string source = folder + "\\source.bmp";
  ASSERT_TRUE(WriteBitmapFile(picture, source));
  EXPECT_EQ(WriteProbeError(missing, source), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(WriteProbeError(folder + "\\p.zip", source), 0u);
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"source.bmp"}) << "the probe stayed";
  EXPECT_FALSE(SystemMessageText(ERROR_DISK_FULL).empty());
  DeleteFileA(source.c_str());
  DeleteObject(picture);
}

// A kept picture whose name is taken in the temporary folder still leaves our
// own folder, which the next start clears, and the other file stays as it was.
TEST_F(OutputFaults, KeptPictureLeavesOurFolderWhenItsNameIsTaken) {
  const std::string name = "vistrel_kept_" + std::to_string(GetTickCount());
  const std::string taken = UserTempFolder() + name + ".bmp";
  const std::string ours = OwnTempFolder() + name + ".bmp";
  std::ofstream(taken) << "someone's";
  std::ofstream(ours) << "picture";
  const std::string kept = MovedOutOfOwnTempFolder(ours);
  EXPECT_EQ(kept, UserTempFolder() + name + " (2).bmp");
  EXPECT_EQ(GetFileAttributesA(ours.c_str()), INVALID_FILE_ATTRIBUTES);
  std::string text;
  std::ifstream(kept) >> text;
  EXPECT_EQ(text, "picture");
  std::ifstream(taken) >> text;
  EXPECT_EQ(text, "someone's");
  DeleteFileA(kept.c_str());
  DeleteFileA(taken.c_str());
}

TEST_F(OutputFaults, LeftoversOfADeadWriterGoOthersStay) {
  const std::string folder = NewFolder("vistrel_leftover_");
  const std::string dead = PartialFileName(folder + "\\Vistrel.bmp", 4000000001u);
  const std::string ours = PartialFileName(folder + "\\Vistrel1.bmp", GetCurrentProcessId());
  // The archive library's own temporary file of a dead run's partial archive.
  const std::string deadLibrary =
      PartialFileName(folder + "\\Vistrel.zip", 4000000001u) + ".0a1b2c3d";
  // Temporary folders: a dead run's, this run's and a user's of a like name.
  const std::string deadFolder = PartialFileName(folder + "\\Vistrel", 4000000001u);
  const std::string ownFolder = PartialFileName(folder + "\\Vistrel", GetCurrentProcessId());
  const std::string userFolder = folder + "\\Vistrel.part";
  for (const std::string& made : {deadFolder, ownFolder, userFolder}) {
    ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr)) << made;
    std::ofstream(made + "\\2026_12_9_8_10_5.bmp") << "picture";
  }
  for (const std::string& path :
       {dead, ours, deadLibrary, folder + "\\notes.part", folder + "\\Vistrel.bmp.part"}) {
    std::ofstream(path) << "x";
  }
  RemoveLeftoverPartials({folder + "\\"});
  std::vector<std::string> left = FilesIn(folder);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{
                      "Vistrel.bmp.part", "Vistrel.part",
                      "Vistrel" + PartialFileName("", GetCurrentProcessId()),
                      "Vistrel1.bmp" + PartialFileName("", GetCurrentProcessId()), "notes.part"}));
  EXPECT_EQ(FilesIn(ownFolder).size(), 1u);
  EXPECT_EQ(FilesIn(userFolder).size(), 1u);
}

}  // namespace
}  // namespace vistrel
