#include "fx_exchange_win.h"

#include <utility>

#include "conversion_client_win.h"
#include "event_pump_win.h"
#include "output_picture.h"

namespace vistrel {

namespace {

ConvertImageFn& ConvertImageBinding() {
  static ConvertImageFn convert;
  return convert;
}

class FxPortsWin : public FxPorts {
 public:
  FxPortsWin(HWND owner, HBITMAP tempPic) : owner_(owner), tempPic_(tempPic) {}
  ~FxPortsWin() override {
    if (result_) DeleteObject(result_);
  }
  HBITMAP TakeResult() { return std::exchange(result_, nullptr); }

  void ShowHourglass() override { hourglass_.Show(); }
  void RestorePointer() override { hourglass_.Restore(); }
  bool TempPicEmpty() override { return PictureIsEmpty(tempPic_); }
  long ConvertTempPic(const std::string& command) override {
    // Converting whatever the clipboard happens to hold would pass off another picture.
    if (!PutBitmapOnClipboard(owner_, tempPic_, true)) {
      Replace(nullptr);
      return kClipboardBusy;
    }
    DoEvents();
    const long result = CallConvertImage(command);
    // After a refusal the clipboard still holds TempPic, not a converted picture.
    Replace(result == 0 ? CopyBitmapFromClipboard(owner_) : nullptr);
    return result;
  }
  void KeepTempPic() override { Replace(CopyBitmap(tempPic_)); }
  void ClearFxPic() override { Replace(nullptr); }
  void ShowMessage(const std::string& text) override {
    MessageBoxA(owner_, text.c_str(), kProgramTitle, MB_OK);
  }

 private:
  void Replace(HBITMAP picture) {
    if (result_) DeleteObject(result_);
    result_ = picture;
  }

  HWND owner_;
  HBITMAP tempPic_;
  HBITMAP result_ = nullptr;
  Hourglass hourglass_;
};

}  // namespace

void SetConvertImage(ConvertImageFn convert) { ConvertImageBinding() = std::move(convert); }

long CallConvertImage(const std::string& command) {
  const ConvertImageFn& convert = ConvertImageBinding();
  try {
    // A component that could not be created answers with an error number.
    if (!convert) return TheConversionComponent().ConvertImage(command);
    return convert(command);
  } catch (...) {
    return -1;
  }
}

long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP* newFxPic) {
  FxPortsWin ports(owner, tempPic);
  long result = DoFx(boxes, unit, ports);
  *newFxPic = ports.TakeResult();
  return result;
}

long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             SharedPicture& fxPic) {
  HBITMAP picture = nullptr;
  const long result = DoFxWin(owner, boxes, unit, tempPic, &picture);
  fxPic = MakePicture(picture);
  return result;
}

}  // namespace vistrel
