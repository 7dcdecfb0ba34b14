#pragma once
// The save page's list controls: the format list, the drive list (a drop-down
// combo box), the folder list (a list box that shows the path from the drive
// root down and the sub-folders below it; a double click opens a folder) and
// the two zip boxes.
#include <windows.h>

#include <string>
#include <vector>

namespace vistrel {

// Fills the FileFormat combo box with its six entries and selects `index`.
void FillFileFormatList(HWND fileFormat, int index);
// The selected entry's text ("bmp-Windows Bitmap" when nothing is selected).
std::string FileFormatText(HWND fileFormat);

// UpdateCompressOptions: each "self executable" box is enabled exactly while its
// "compress" box is ticked (its value is kept). Any handle may be null.
void UpdateCompressOptions(HWND compressSave, HWND compileZipSave, HWND compressMail,
                           HWND compileZipMail);

// The drive and folder lists of one page.
class DriveFolderLists {
 public:
  void Attach(HWND drive, HWND dirlist);
  // Shows `folder`; false (nothing changed) when it cannot be read.
  bool SetPath(const std::string& folder);
  const std::string& Path() const { return path_; }
  // A double click in the folder list: opens the clicked folder. True when the path changed.
  bool OnDirlistDoubleClick();
  // A change of the drive list: moves to the chosen drive; when it cannot be
  // read shows Drive "x:" not available. and returns to the previous folder.
  // True when the path changed.
  bool OnDriveChange(HWND owner);

 private:
  void ShowWidestEntry();
  void FillDrives();
  void SelectDrive(const std::string& folder);

  HWND drive_ = nullptr;
  HWND dirlist_ = nullptr;
  std::string path_;
  std::vector<std::string> entries_;  // full path of each folder list item
};

}  // namespace vistrel
