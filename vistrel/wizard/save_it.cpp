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

}  // namespace

SaveOutcome SaveIt(const SaveTarget& target, SavePorts& ports, std::string& lastSavedFile) {
  if (ports.PictureEmpty()) {
    ports.ShowMessage(kEmptyPictureText);
    return {};
  }
  ports.ShowHourglass();
  auto exists = [&ports](const std::string& path) { return ports.FileExists(path); };
  std::string file = AutoFileName(target, exists);

  OutputRequest request;
  request.picture = file;
  const bool archiveMode = IsArchivePath(file);
  if (archiveMode) {
    // The picture is written to a temporary file and packed from there.
    file = WithExtension(file, FormatExtension(target.formatEntry));
    request.picture =
        TemporaryPictureName(ports.TempFolder(), ports.Now(), file.substr(file.size() - 4));
    request.temporaryPicture = true;
  }
  const std::string extension = Lower(file.substr(file.size() - 3));
  request.bitmap = extension == "bmp";
  request.straightPng = target.straightToFile && extension == "png";
  if (target.compressSave) {
    request.archive = WithExtension(file, "zip");
    request.selfExtracting = target.compileZipSave;
  }

  const std::string previousSavedFile = lastSavedFile;
  lastSavedFile = file;
  const OutputResult written = WriteOutput(request, ports);
  SaveOutcome outcome;
  outcome.result = written.result;
  if (!written.written) {
    ports.RestorePointer();
    const std::string cause =
        written.systemError == 0
            ? std::string()
            : CauseLine(ports.SystemErrorText(written.systemError), written.errorPath);
    if (written.failedStep == OutputStep::Picture) {
      ports.ShowMessage(WithCause(ConversionErrorText(written.result, written.command), cause));
    } else {
      // LastSavedFile must not name an archive that does not hold this picture.
      lastSavedFile = previousSavedFile;
      ports.ShowMessage(WithCause(ArchiveNotWrittenText(written.made) +
                                      " The picture was kept as \"" + written.keptPicture + "\".",
                                  cause));
    }
    return outcome;
  }
  if (target.compressSave) lastSavedFile = written.made;

  outcome.saved = true;
  outcome.saveName = AutoFileName(target, exists);
  ports.RestorePointer();
  return outcome;
}

}  // namespace vistrel
