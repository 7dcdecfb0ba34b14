#include "save_it.h"

#include <cctype>

#include "effects_command.h"
#include "output_picture.h"

namespace vistrel {

namespace {

std::string Lower(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The path with its last three letters (the extension) replaced.
std::string WithExtension(const std::string& path, std::string_view extension) {
  return path.substr(0, path.size() - 3) + std::string(extension);
}

std::string ConversionErrorText(long result, const std::string& command) {
  switch (result) {
    case kClipboardBusy:
      return kClipboardBusyText;
    case kFormatNotSupported:
      return "Format not yet supported in this screen resolution / color depth.";
    case kCannotWrite:
      return "Could not write to that disk / path.";
    default:
      return std::string("SaveIt-Error while converting. Please send this number to ") +
             kProblemReportAddress + " " + std::to_string(result) + command;
  }
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ArchiveFailedText(const std::string& made, const std::string& kept) {
  const bool exe = Lower(made.substr(made.size() - 3)) == "exe";
  return std::string(exe ? "The self-extracting file \"" : "The zip-file \"") + NamePart(made) +
         "\" could not be written in the folder \"" + FolderPart(made) +
         "\". The picture was kept as \"" + kept + "\".";
}

}  // namespace

std::string TemporaryPictureName(const std::string& tempFolder, const LocalTime& now,
                                 const std::string& extensionWithDot) {
  return tempFolder + std::to_string(now.year) + "_" + std::to_string(now.month) + "_" +
         std::to_string(now.day) + "_" + std::to_string(now.hour) + "_" +
         std::to_string(now.minute) + "_" + std::to_string(now.second) + extensionWithDot;
}

SaveOutcome SaveIt(const SaveTarget& target, SavePorts& ports, std::string& lastSavedFile) {
  if (ports.PictureEmpty()) {
    ports.ShowMessage(kEmptyPictureText);
    return {};
  }
  ports.ShowHourglass();
  auto exists = [&ports](const std::string& path) { return ports.FileExists(path); };
  std::string file = AutoFileName(target, exists);
  std::string command = "source=clipboard, dest=" + file;

  std::string temporary;
  bool archiveMode = IsArchivePath(file);
  if (archiveMode) {
    // The picture is written to a temporary file and packed from there.
    file = WithExtension(file, FormatExtension(target.formatEntry));
    temporary = TemporaryPictureName(ports.TempFolder(), ports.Now(), file.substr(file.size() - 4));
    command = "source=clipboard, dest=" + temporary;
  }
  const std::string& pictureFile = archiveMode ? temporary : file;

  const std::string previousSavedFile = lastSavedFile;
  SaveOutcome outcome;
  if (Lower(file.substr(file.size() - 3)) == "bmp") {
    // A bitmap that could not be written is reported like a path the component cannot write.
    outcome.result = ports.WriteBitmap(pictureFile) ? 0 : kCannotWrite;
  } else {
    outcome.result = ports.ConvertFxPic(command);
  }
  lastSavedFile = file;

  if (outcome.result != 0) {
    if (archiveMode && ports.FileExists(temporary)) ports.RemoveFile(temporary);
    ports.RestorePointer();
    ports.ShowMessage(ConversionErrorText(outcome.result, command));
    return outcome;
  }

  if (target.compressSave) {
    std::string archive = WithExtension(file, "zip");
    ports.AddToZip(temporary, archive);
    ports.DoEvents();
    std::string made = archive;
    bool packed = ports.ArchiveHolds(archive, NamePart(temporary));
    if (packed && target.compileZipSave) {
      ports.MakeExe(archive);
      ports.DoEvents();
      made = WithExtension(archive, "exe");
      packed = ports.ArchiveHolds(made, NamePart(temporary));
    }
    if (!packed) {
      // The temporary picture is all the user has of this capture: keep it.
      lastSavedFile = previousSavedFile;
      ports.RestorePointer();
      ports.ShowMessage(ArchiveFailedText(made, temporary));
      return outcome;
    }
    lastSavedFile = made;
  }
  if (archiveMode && ports.FileExists(temporary)) ports.RemoveFile(temporary);

  outcome.saved = true;
  outcome.saveName = AutoFileName(target, exists);
  ports.RestorePointer();
  return outcome;
}

}  // namespace vistrel
