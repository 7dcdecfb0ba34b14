#pragma once
// The wizard's hand-offs of the saved file to the program Windows opens it
// with and of its folder to the file explorer, over small ports so the rules
// run without Windows.
#include <string>
#include <string_view>

namespace vistrel::wizard {

inline constexpr char kOnlySavedFilesText[] = "You can only open the files you saved.";
inline constexpr char kCopiedText[] =
    "The current screenshot has been successfully copied to the Windows clipboard.";
inline constexpr char kNothingToCopyText[] =
    "There is no picture to copy: the selected area is empty, or the effects could not be "
    "applied to it. Nothing was put on the clipboard.";
inline constexpr char kClipboardHeldText[] =
    "The picture could not be put on the clipboard: another program is holding it. Please try "
    "again.";
inline constexpr char kClipboardNoMemoryText[] =
    "The picture could not be put on the clipboard: there is not enough memory to prepare it. "
    "Nothing was copied.";

class HandoffPorts {
 public:
  virtual ~HandoffPorts() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual void Beep() = 0;
  // Opens the file with its associated program, `folder` as working directory.
  virtual void ShellOpen(const std::string& file, const std::string& folder) = 0;
  // Starts `program` without waiting, in a normal window with the focus.
  virtual void Start(const std::string& program, const std::string& commandLine) = 0;
  // A message box with the exclamation icon; an empty title is the program title.
  virtual void Exclamation(const std::string& text, const std::string& title) = 0;
};

// The folder of a path: the text before the last backslash, "C:\" for a
// drive alone, empty (with a beep) for an empty path and empty for a bare
// file name, which then opens in the current folder.
std::string FolderOf(std::string_view path, HandoffPorts& ports);

// Opens `lastSavedFile` when it exists; true when it was handed to the shell.
bool OpenLastSaved(HandoffPorts& ports, const std::string& lastSavedFile);

// The "&Open last saved picture" button: falls back to `autoFileName` (the
// archive, whose name is fixed) and says so when there is nothing to open.
void OpenLastSavedButton(HandoffPorts& ports, std::string& lastSavedFile,
                         const std::string& autoFileName);

// Explorer.exe of the Windows folder on `folder`, or the message that it is missing.
void ShowExplorer(HandoffPorts& ports, std::string_view windowsFolder, const std::string& folder);

}  // namespace vistrel::wizard
