// Placeholder bodies so the program links while the window is being built.
#include "wizard_win.h"

namespace vistrel::wizard {

namespace {
ShellHooks hooks;
HBITMAP wholePic = nullptr;
int cropStyle = 0;
TwipsRect cropRect;
}  // namespace

bool PreloadWizard(HINSTANCE, const ShellHooks& shellHooks) {
  hooks = shellHooks;
  return true;
}
HWND WizardWindow() { return nullptr; }
void ResetCurrentPage() {}
bool LoadWholePicFromClipboard() { return wholePic != nullptr; }
void OpenWizard() {}
void ShowWizard() {}
void HideWizard() {}
bool WizardVisible() { return false; }
void CloseWizard() {
  if (hooks.enableEditMenu) hooks.enableEditMenu(true);
}
int CropStyle() { return cropStyle; }
void SetCropStyle(int style) { cropStyle = style; }
TwipsRect CropRect() { return cropRect; }
void SetCropRect(const TwipsRect& rect) { cropRect = rect; }
void ShowSelection() {}
HBITMAP WholePic() { return wholePic; }
HBITMAP TempPic() { return wholePic; }
HBITMAP FxPic() { return wholePic; }

}  // namespace vistrel::wizard
