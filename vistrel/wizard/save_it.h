#pragma once
// Saving the output picture: to a picture file, or packed into a zip archive
// (optionally made self-extracting), through the output sequence the mail
// shares.
#include <string>

#include "auto_file_name.h"
#include "output_sequence.h"

namespace vistrel {

// What SaveIt needs from the outside world besides the output steps.
class SavePorts : public OutputPorts {
 public:
  // FxPic holds no picture (it follows an empty TempPic).
  virtual bool PictureEmpty() = 0;
  // The user's temporary folder, ending in a backslash.
  virtual std::string TempFolder() = 0;
  virtual LocalTime Now() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ShowHourglass() = 0;  // remembers the pointer first
  virtual void RestorePointer() = 0;
};

struct SaveOutcome {
  bool saved = false;
  long result = 0;       // the writer's result (0 on success)
  std::string saveName;  // the next automatic name, for SaveName (only when saved)
};

// SaveIt: writes FxPic as the target asks, reports failures, keeps
// lastSavedFile (LastSavedFile) up to date. An empty FxPic is refused with
// kEmptyPictureText; a picture that did not reach its archive is kept in the
// temporary folder and named in the message, and lastSavedFile stays as it was.
SaveOutcome SaveIt(const SaveTarget& target, SavePorts& ports, std::string& lastSavedFile);

}  // namespace vistrel
