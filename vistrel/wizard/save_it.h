#pragma once
// Saving the output picture: to a picture file, or packed into a zip archive
// (optionally made self-extracting) through the capture library.
#include <string>

#include "auto_file_name.h"

namespace vistrel {

// Component results the save reports in words.
inline constexpr long kFormatNotSupported = 33203;
inline constexpr long kCannotWrite = 33211;

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// What SaveIt needs from the outside world.
class SavePorts {
 public:
  virtual ~SavePorts() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // FxPic holds no picture (it follows an empty TempPic).
  virtual bool PictureEmpty() = 0;
  // Writes FxPic as a Windows bitmap; false when the file could not be written.
  virtual bool WriteBitmap(const std::string& path) = 0;
  // Puts FxPic on the clipboard and calls ConvertImage with the command;
  // kClipboardBusy, without calling it, when the clipboard could not be had.
  virtual long ConvertFxPic(const std::string& command) = 0;
  virtual void AddToZip(const std::string& file, const std::string& archive) = 0;
  virtual void MakeExe(const std::string& archive) = 0;
  // The archive (or self-extractor) exists and lists an entry of this name: the
  // packer reports its failures only to a handler we do not set.
  virtual bool ArchiveHolds(const std::string& archive, const std::string& entryName) = 0;
  virtual void DoEvents() = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  // The user's temporary folder, ending in a backslash.
  virtual std::string TempFolder() = 0;
  virtual LocalTime Now() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ShowHourglass() = 0;  // remembers the pointer first
  virtual void RestorePointer() = 0;
};

// The temporary picture file of archive mode: folder + "2026_3_7_9_5_12" + ".jpg".
std::string TemporaryPictureName(const std::string& tempFolder, const LocalTime& now,
                                 const std::string& extensionWithDot);

struct SaveOutcome {
  bool saved = false;
  long result = 0;        // the writer's result (0 on success)
  std::string saveName;   // the next automatic name, for SaveName (only when saved)
};

// SaveIt: writes FxPic as the target asks, reports failures, keeps
// lastSavedFile (LastSavedFile) up to date. An empty FxPic is refused with
// kEmptyPictureText; a picture that did not reach its archive is kept in the
// temporary folder and named in the message, and lastSavedFile stays as it was.
SaveOutcome SaveIt(const SaveTarget& target, SavePorts& ports, std::string& lastSavedFile);

}  // namespace vistrel
