#include "handoffs.h"

namespace vistrel::wizard {

namespace {

bool IsDriveAlone(std::string_view text) {
  return text.size() == 2 && text[1] == ':' &&
         ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

}  // namespace

std::string FolderOf(std::string_view path, HandoffPorts& ports) {
  if (path.empty()) {
    ports.Beep();
    return {};
  }
  const size_t slash = path.rfind('\\');
  const std::string_view before = slash == std::string_view::npos ? path : path.substr(0, slash);
  if (IsDriveAlone(before)) return std::string(before) + "\\";
  if (slash == std::string_view::npos) return {};
  return std::string(before);
}

bool OpenLastSaved(HandoffPorts& ports, const std::string& lastSavedFile) {
  if (!ports.FileExists(lastSavedFile)) return false;
  ports.ShellOpen(lastSavedFile, FolderOf(lastSavedFile, ports));
  return true;
}

void OpenLastSavedButton(HandoffPorts& ports, std::string& lastSavedFile,
                         const std::string& autoFileName) {
  if (!ports.FileExists(lastSavedFile)) lastSavedFile = autoFileName;
  if (!OpenLastSaved(ports, lastSavedFile))
    ports.Exclamation(kOnlySavedFilesText, "File " + lastSavedFile + " not found");
}

void ShowExplorer(HandoffPorts& ports, std::string_view windowsFolder, const std::string& folder) {
  std::string explorer(windowsFolder);
  if (!explorer.empty() && explorer.back() != '\\') explorer += '\\';
  explorer += "Explorer.exe";
  if (!ports.FileExists(explorer)) {
    ports.Exclamation("Could not find \"" + explorer + "\"", "");
    return;
  }
  // The folder goes unquoted, spaces and all, as the explorer has always had it.
  ports.Start(explorer, explorer + " " + folder);
}

}  // namespace vistrel::wizard
