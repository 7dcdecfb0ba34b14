#pragma once
// vistlib.dll, loaded by name at the first call of any of its functions.
#include <windows.h>

#include <string>

#include "vistlib.h"

namespace vistrel {

class VistlibClient {
 public:
  static VistlibClient& Instance();

  void Init(HWND notifyWindow);
  void Quit();
  void Cheese(const std::string& drawCursor);
  Rect GiveActiveWindow();
  void Transfer();
  // The library's picture, the caller's to delete; nullptr when there is none.
  HBITMAP GivePicture();
  void VisEdit(const std::string& divisor, const std::string& multiplier, const std::string& unit);
  void AddToZip(const std::string& fileSpec, const std::string& zipPath);
  void MakeExe(const std::string& zipPath);
  void ShowClipBoard();
  void SetHotkey(const std::string& keyText);

 private:
  VistlibClient() = default;
  // The named export, loading the library first; shows the system's own
  // message and ends the program when the library or the name is missing,
  // as a program whose declared library cannot be found does.
  FARPROC Function(const char* name);

  HMODULE module_ = nullptr;
};

}  // namespace vistrel
