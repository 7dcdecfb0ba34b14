#pragma once
// The one way a picture leaves the program as a file, shared by the save and
// the mail: the picture to a file (a Windows bitmap we write ourselves, or any
// other format through the conversion component), then, when asked, packed into
// a zip archive, then made self-extracting. Each step is checked before the next
// one starts, because neither the component's writer nor the capture library's
// packer can be trusted to have written what was asked: the packer reports its
// failures only to a handler the program does not set.
#include <functional>
#include <string>

namespace vistrel {

// Component results the outputs report in words.
inline constexpr long kFormatNotSupported = 33203;
inline constexpr long kCannotWrite = 33211;

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A temporary file's name: folder + "2026_3_7_9_5_12" + extension (with its dot).
std::string TemporaryPictureName(const std::string& tempFolder, const LocalTime& now,
                                 const std::string& extensionWithDot);

// The conversion component's command that writes the clipboard's picture to a file.
std::string ConversionCommand(const std::string& destination);

// The self-extractor MakeExe makes of an archive: the same path ending in "exe".
std::string SelfExtractorPath(const std::string& archive);

// What the sequence needs from the outside world.
class OutputPorts {
 public:
  virtual ~OutputPorts() = default;
  // Writes FxPic as a Windows bitmap; false when the file could not be written.
  virtual bool WriteBitmap(const std::string& path) = 0;
  // Writes FxPic as a png straight from its pixels, without the clipboard and
  // the component; false when the file could not be written. Only asked by
  // requests that say so (OutputRequest::straightPng).
  virtual bool WriteStraightPng(const std::string& path) {
    (void)path;
    return false;
  }
  // Puts FxPic on the clipboard and calls ConvertImage with the command;
  // kClipboardBusy, without calling it, when the clipboard could not be had.
  virtual long ConvertFxPic(const std::string& command) = 0;
  // The capture library's AddToZip and MakeExe.
  virtual void AddToZip(const std::string& file, const std::string& archive) = 0;
  virtual void MakeExe(const std::string& archive) = 0;
  // The archive (or self-extractor) exists and lists an entry of this name.
  virtual bool ArchiveHolds(const std::string& archive, const std::string& entryName) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  virtual void DoEvents() = 0;
  // The system's error code the last failed picture write left (0: it named none).
  virtual unsigned long LastWriteError() { return 0; }
  // Why no file can be written at `target` now: the system's error code from
  // trying to write as many bytes as `source` holds beside it, 0 when that
  // works. The packer and the self-extractor maker keep their reasons to
  // themselves, so this is how a failed archive step learns its cause.
  virtual unsigned long WhyNotWritable(const std::string& target, const std::string& source) {
    (void)target;
    (void)source;
    return 0;
  }
  // The system's own description of one of its error codes (empty: none).
  virtual std::string SystemErrorText(unsigned long code) {
    (void)code;
    return {};
  }
  // A temporary picture the user is told about is kept where it stays: its
  // path then (the given one when it stays where it is).
  virtual std::string KeepTemporary(const std::string& path) { return path; }
};

// The system's code for a path whose folder does not exist: the cause then
// concerns the folder, not the file.
inline constexpr unsigned long kPathNotFound = 3;

enum class OutputStep { Picture, Archive, SelfExtractor };

struct OutputRequest {
  std::string picture;          // where the picture file is written
  bool bitmap = false;          // written by us as a Windows bitmap, not by the component
  std::string archive;          // the zip archive to pack the picture into; empty: none
  bool selfExtracting = false;  // the archive is then made into a self-extractor
  // The picture file is only on its way into an archive or a mail: it goes when
  // the output is complete or a step fails.
  bool temporaryPicture = false;
  // The archive and self-extractor are on their way too (a mail's attachment):
  // a failed step leaves none of them. When false the archive is the user's
  // (it may hold earlier pictures) and the picture is kept when packing fails,
  // as it is then all the user has of this capture.
  bool temporaryArchive = false;
  // A png written by us straight from the picture, not through the clipboard
  // and the component: the same pixels, with no copy of the picture made.
  bool straightPng = false;
};

struct OutputResult {
  bool written = false;
  OutputStep failedStep = OutputStep::Picture;  // when not written
  long result = 0;                // the picture writer's result (0 unless the picture step failed)
  std::string command;            // the conversion command of the picture step
  std::string made;               // the finished output, or the file the failed step was to make
  std::string keptPicture;        // a temporary picture left on purpose after a failure
  unsigned long systemError = 0;  // the system's cause of the failure, 0 when it named none
  std::string errorPath;          // the file (or missing folder) the cause concerns
};

// Announces each step: before it (done false) and after it (done true, ok telling
// whether it was checked and found written).
using OutputStepObserver = std::function<void(OutputStep step, bool done, bool ok)>;

// Runs the steps the request asks for, stopping at the first that fails. On
// success the temporary picture of an archive is removed and `made` names the
// output (picture, archive or self-extractor).
OutputResult WriteOutput(const OutputRequest& request, OutputPorts& ports,
                         const OutputStepObserver& observer = {});

// The first sentence of the message for a failed archive step: which file could
// not be written in which folder.
std::string ArchiveNotWrittenText(const std::string& made);

// The second line of a failure message: the system's own description of the
// cause and the path it concerns. Empty when the system named no cause.
std::string CauseLine(const std::string& systemText, const std::string& path);

// The message's first line and, when there is one, the cause below it.
std::string WithCause(const std::string& message, const std::string& causeLine);

// The file name after the last backslash or slash, and the folder before it.
std::string FileNamePart(const std::string& path);
std::string FolderPart(const std::string& path);

}  // namespace vistrel
