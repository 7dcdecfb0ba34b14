#include "save_page_lists_win.h"

#include <algorithm>
#include <vector>

#include "auto_file_name.h"
#include "folder_path.h"
#include "fx_exchange_win.h"
#include "gdi_handles_win.h"

namespace vistrel {

namespace {

std::string ItemText(HWND control, UINT getLength, UINT getText, int index) {
  LRESULT length = SendMessageA(control, getLength, static_cast<WPARAM>(index), 0);
  if (length <= 0) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(control, getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinFolder(folder, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") {
      names.push_back(name);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
  });
  return names;
}

// The full path of a folder as the system spells it.
std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return path;
  std::string full(buffer, length);
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  return full;
}

}  // namespace

void FillFileFormatList(HWND fileFormat, int index) {
  SendMessageA(fileFormat, CB_RESETCONTENT, 0, 0);
  for (const char* entry : kFileFormats) {
    SendMessageA(fileFormat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  if (index < 0 || index >= static_cast<int>(kFileFormats.size())) index = 0;
  SendMessageA(fileFormat, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string FileFormatText(HWND fileFormat) {
  LRESULT index = SendMessageA(fileFormat, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return kFileFormats[0];
  return ItemText(fileFormat, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<int>(index));
}

void UpdateCompressOptions(HWND compressSave, HWND compileZipSave, HWND compressMail,
                           HWND compileZipMail) {
  auto follow = [](HWND compress, HWND compile) {
    if (!compress || !compile) return;
    EnableWindow(compile, SendMessageA(compress, BM_GETCHECK, 0, 0) == BST_CHECKED);
  };
  follow(compressSave, compileZipSave);
  follow(compressMail, compileZipMail);
}

void DriveFolderLists::Attach(HWND drive, HWND dirlist) {
  drive_ = drive;
  dirlist_ = dirlist;
  FillDrives();
}

void DriveFolderLists::FillDrives() {
  if (!drive_) return;
  SendMessageA(drive_, CB_RESETCONTENT, 0, 0);
  char buffer[512] = {};
  DWORD length = GetLogicalDriveStringsA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return;
  for (const char* root = buffer; *root; root += lstrlenA(root) + 1) {
    std::string entry(root, 2);  // "c:"
    CharLowerBuffA(entry.data(), 1);
    SendMessageA(drive_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
}

void DriveFolderLists::SelectDrive(const std::string& folder) {
  if (!drive_ || folder.size() < 2) return;
  std::string entry = folder.substr(0, 2);
  CharLowerBuffA(entry.data(), 1);
  LRESULT index = SendMessageA(drive_, CB_FINDSTRING, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(entry.c_str()));
  SendMessageA(drive_, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1)
                                                     : static_cast<WPARAM>(index),
               0);
}

// Long folder names can be scrolled to instead of being cut off.
void DriveFolderLists::ShowWidestEntry() {
  LONG widest = 0;
  {
    WindowDc dc(dirlist_);
    SelectGuard font(dc.get(),
                     reinterpret_cast<HFONT>(SendMessageA(dirlist_, WM_GETFONT, 0, 0)));
    const LRESULT count = SendMessageA(dirlist_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::vector<char> text(static_cast<size_t>(SendMessageA(dirlist_, LB_GETTEXTLEN, i, 0)) + 1);
      const LRESULT length =
          SendMessageA(dirlist_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      if (length == LB_ERR) continue;
      SIZE size{};
      if (GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(length), &size))
        widest = std::max(widest, size.cx);
    }
  }
  SendMessageA(dirlist_, LB_SETHORIZONTALEXTENT, widest + 6, 0);
}

bool DriveFolderLists::SetPath(const std::string& folder) {
  std::string full = FullPath(folder);
  if (full.size() < 3 || !IsFolder(full)) return false;
  path_ = full;
  SelectDrive(path_);
  if (!dirlist_) return true;

  SendMessageA(dirlist_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(dirlist_, LB_RESETCONTENT, 0, 0);
  entries_.clear();
  std::vector<std::string> chain = FolderChain(path_);
  auto add = [this](const std::string& text, const std::string& fullPath) {
    SendMessageA(dirlist_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    entries_.push_back(fullPath);
  };
  // The open folders from the root down, then the current folder's sub-folders one step in.
  for (size_t depth = 0; depth < chain.size(); ++depth) {
    std::string name = depth == 0 ? chain[0] : chain[depth].substr(chain[depth].rfind('\\') + 1);
    add(std::string(depth * 2, ' ') + name, chain[depth]);
  }
  for (const std::string& name : SubFolders(path_)) {
    add(std::string(chain.size() * 2, ' ') + name, JoinFolder(path_, name));
  }
  ShowWidestEntry();  // first: the scroll bar it may add takes a row's room
  SendMessageA(dirlist_, LB_SETCURSEL, chain.size() - 1, 0);
  SendMessageA(dirlist_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(dirlist_, nullptr, TRUE);
  return true;
}

bool DriveFolderLists::OnDirlistDoubleClick() {
  LRESULT index = SendMessageA(dirlist_, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR || static_cast<size_t>(index) >= entries_.size()) return false;
  std::string target = entries_[static_cast<size_t>(index)];
  if (target == path_) return false;
  return SetPath(target);
}

bool DriveFolderLists::OnDriveChange(HWND owner) {
  LRESULT index = SendMessageA(drive_, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return false;
  std::string entry = ItemText(drive_, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<int>(index));
  if (entry.size() < 2) return false;
  if (path_.size() >= 2 && lstrcmpiA(entry.substr(0, 2).c_str(), path_.substr(0, 2).c_str()) == 0) {
    return false;
  }
  // The drive's own current folder, as a change of drive on the command line gives.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  bool moved = SetPath(FullPath(entry.substr(0, 2))) || SetPath(entry.substr(0, 2) + "\\");
  SetErrorMode(oldMode);
  if (moved) return true;
  MessageBoxA(owner, DriveNotAvailableText(entry).c_str(), kProgramTitle, MB_OK);
  SelectDrive(DriveRoot(path_));
  return false;
}

}  // namespace vistrel
