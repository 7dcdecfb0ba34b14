#include "output_sequence.h"

#include <cctype>

namespace vistrel {

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

void RemoveIfThere(OutputPorts& ports, const std::string& path) {
  if (!path.empty() && ports.FileExists(path)) ports.RemoveFile(path);
}

class Sequence {
 public:
  Sequence(const OutputRequest& request, OutputPorts& ports, const OutputStepObserver& observer)
      : request_(request), ports_(ports), observer_(observer) {}

  OutputResult Run() {
    try {
      return Steps();
    } catch (...) {
      // Whatever stopped the steps, nothing temporary may outlive them.
      try {
        RemoveTemporaries();
      } catch (...) {
      }
      throw;
    }
  }

 private:
  OutputResult Steps() {
    result_.command = ConversionCommand(request_.picture);
    result_.made = request_.picture;

    Announce(OutputStep::Picture, false, false);
    if (request_.bitmap || request_.straightPng) {
      // A file we write ourselves and could not is reported like a path the
      // component cannot write.
      const bool written = request_.bitmap ? ports_.WriteBitmap(request_.picture)
                                           : ports_.WriteStraightPng(request_.picture);
      result_.result = written ? 0 : kCannotWrite;
    } else {
      result_.result = ports_.ConvertFxPic(result_.command);
    }
    // A writer that claims success without a file has not written it either.
    if (result_.result == 0 && !ports_.FileExists(request_.picture)) result_.result = kCannotWrite;
    Announce(OutputStep::Picture, true, result_.result == 0);
    if (result_.result != 0) return Failed(OutputStep::Picture);

    if (request_.archive.empty()) return Written();

    // An archive of the same name from an earlier save must not pass for this
    // one: the entry looked for is this picture's own (time-stamped) name.
    const std::string entry = FileNamePart(request_.picture);
    result_.made = request_.archive;
    Announce(OutputStep::Archive, false, false);
    ports_.AddToZip(request_.picture, request_.archive);
    ports_.DoEvents();
    bool packed = ports_.ArchiveHolds(request_.archive, entry);
    Announce(OutputStep::Archive, true, packed);
    if (!packed) return Failed(OutputStep::Archive);

    if (request_.selfExtracting) {
      result_.made = SelfExtractorPath(request_.archive);
      Announce(OutputStep::SelfExtractor, false, false);
      ports_.MakeExe(request_.archive);
      ports_.DoEvents();
      packed = ports_.ArchiveHolds(result_.made, entry);
      Announce(OutputStep::SelfExtractor, true, packed);
      if (!packed) return Failed(OutputStep::SelfExtractor);
    }
    if (request_.temporaryPicture) RemoveIfThere(ports_, request_.picture);
    return Written();
  }

  void Announce(OutputStep step, bool done, bool ok) {
    if (observer_) observer_(step, done, ok);
  }

  OutputResult Written() {
    result_.written = true;
    return result_;
  }

  OutputResult Failed(OutputStep step) {
    result_.written = false;
    result_.failedStep = step;
    NoteCause(step);
    if (step != OutputStep::Picture && request_.temporaryPicture && !request_.temporaryArchive) {
      result_.keptPicture = ports_.KeepTemporary(request_.picture);  // all the user has of it
    } else {
      RemoveTemporaries();
    }
    return result_;
  }

  // Asked before anything is removed: the archive steps' cause is found by
  // writing as much as their source holds, and the source may be temporary.
  void NoteCause(OutputStep step) {
    if (step == OutputStep::Picture) {
      result_.systemError = result_.result == kCannotWrite ? ports_.LastWriteError() : 0;
    } else {
      const std::string& source = step == OutputStep::Archive ? request_.picture : request_.archive;
      result_.systemError = ports_.WhyNotWritable(result_.made, source);
    }
    if (result_.systemError == 0) return;
    result_.errorPath =
        result_.systemError == kPathNotFound ? FolderPart(result_.made) : result_.made;
  }

  void RemoveTemporaries() {
    if (request_.temporaryPicture) RemoveIfThere(ports_, request_.picture);
    if (request_.temporaryArchive && !request_.archive.empty()) {
      RemoveIfThere(ports_, request_.archive);
      if (request_.selfExtracting) RemoveIfThere(ports_, SelfExtractorPath(request_.archive));
    }
  }

  const OutputRequest& request_;
  OutputPorts& ports_;
  const OutputStepObserver& observer_;
  OutputResult result_;
};

}  // namespace

std::string TemporaryPictureName(const std::string& tempFolder, const LocalTime& now,
                                 const std::string& extensionWithDot) {
  return tempFolder + std::to_string(now.year) + "_" + std::to_string(now.month) + "_" +
         std::to_string(now.day) + "_" + std::to_string(now.hour) + "_" +
         std::to_string(now.minute) + "_" + std::to_string(now.second) + extensionWithDot;
}

std::string ConversionCommand(const std::string& destination) {
  return "source=clipboard, dest=" + destination;
}

std::string SelfExtractorPath(const std::string& archive) {
  if (archive.size() < 3) return archive + "exe";
  return archive.substr(0, archive.size() - 3) + "exe";
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ArchiveNotWrittenText(const std::string& made) {
  const bool exe = made.size() >= 3 && Lower(made.substr(made.size() - 3)) == "exe";
  return std::string(exe ? "The self-extracting file \"" : "The zip-file \"") + FileNamePart(made) +
         "\" could not be written in the folder \"" + FolderPart(made) + "\".";
}

std::string CauseLine(const std::string& systemText, const std::string& path) {
  std::string text = systemText;
  // The system's descriptions end in a line break, and sometimes in spaces.
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) return {};
  return path.empty() ? text : text + " (" + path + ")";
}

std::string WithCause(const std::string& message, const std::string& causeLine) {
  return causeLine.empty() ? message : message + "\n" + causeLine;
}

OutputResult WriteOutput(const OutputRequest& request, OutputPorts& ports,
                         const OutputStepObserver& observer) {
  return Sequence(request, ports, observer).Run();
}

}  // namespace vistrel
