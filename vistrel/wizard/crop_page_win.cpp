#include "crop_page_win.h"

#include "capture_handover.h"
#include "crop_preparation.h"
#include "event_pump_win.h"
#include "gdi_handles_win.h"
#include "number_text.h"
#include "selection_text.h"
#include "shell_state.h"
#include "user_locale_win.h"
#include "vistlib_client_win.h"
#include "wizard_res.h"

namespace vistrel::wizard {

namespace {

int32_t ToTwips(double pixels, double twipsPerPixel) {
  return RoundToInt32(pixels * twipsPerPixel).value_or(0);
}

int ToPixels(int32_t twips, double twipsPerPixel) {
  if (twipsPerPixel <= 0) return 0;
  return RoundToInt32(twips / twipsPerPixel).value_or(0);
}

// A new bitmap of `width` x `height` pixels holding the part of `source` at
// (`left`, `top`); what lies outside the source stays white. Null for an
// empty size or a missing source: a white picture would pass for a capture.
HBITMAP CopyRegion(HBITMAP source, int left, int top, int width, int height) {
  if (source == nullptr || width <= 0 || height <= 0) return nullptr;
  WindowDc screen(nullptr);
  Bitmap result(CreateCompatibleBitmap(screen.get(), width, height));
  MemoryDc target(CreateCompatibleDC(screen.get()));
  MemoryDc from(CreateCompatibleDC(screen.get()));
  if (!result || !target || !from) return nullptr;
  SelectGuard selectTarget(target.get(), result.get());
  RECT all = {0, 0, width, height};
  FillRect(target.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectGuard selectFrom(from.get(), source);
  if (!selectTarget.ok() || !selectFrom.ok() ||
      !BitBlt(target.get(), 0, 0, width, height, from.get(), left, top, SRCCOPY)) {
    return nullptr;
  }
  return result.release();  // the guards deselect it before the caller can use it
}

// The pointer's monitor came after the first three, so its option has its own id.
int CropStyleControl(int style) {
  return style == kPointerMonitorCropStyle ? IDC_CROPSTYLE3 : IDC_CROPSTYLE0 + style;
}

}  // namespace

void CropPage::Prepare() {
  Panel().SetChecked(IDC_USECROPOREDIT1, true);
  Panel().SetChecked(IDC_CROPSTYLE0, true);
  UseCropOrEdit(false);
}

bool CropPage::StartsWork(int id) const {
  return id == IDC_SELECTAREA || id == IDC_PRIVGETSELECTIONWINDOW;
}

void CropPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_USECROPOREDIT0:
    case IDC_USECROPOREDIT1:
      UseCropOrEdit(id == IDC_USECROPOREDIT0);
      break;
    case IDC_CROPSTYLE0:
    case IDC_CROPSTYLE1:
    case IDC_CROPSTYLE2:
      SetCropStyle(id - IDC_CROPSTYLE0);
      break;
    case IDC_CROPSTYLE3:
      SetCropStyle(kPointerMonitorCropStyle);
      break;
    case IDC_SELECTAREA:
      SelectArea();
      break;
    case IDC_PRIVGETSELECTIONWINDOW:
      EditCapture();
      break;
    default:
      break;
  }
}

bool CropPage::UsesEditor() const { return Panel().Checked(IDC_USECROPOREDIT0); }

void CropPage::UseCropOrEdit(bool editor) {
  Panel().SetChecked(IDC_USECROPOREDIT0, editor);
  Panel().SetChecked(IDC_USECROPOREDIT1, !editor);
  Panel().Enable(IDC_PRIVGETSELECTIONWINDOW, editor);
  Panel().Enable(IDC_AUTOMATE0, editor);
  for (int id : {IDC_CROPSTYLE0, IDC_CROPSTYLE1, IDC_CROPSTYLE2, IDC_CROPSTYLE3, IDC_SELECTAREA,
                 IDC_SELECTIONDISP})
    Panel().Enable(id, !editor);
}

int CropPage::CropStyle() const {
  for (int style = 0; style < kCropStyleCount; ++style)
    if (Panel().Checked(CropStyleControl(style))) return style;
  return -1;
}

void CropPage::SetCropStyle(int style) {
  if (style < 0 || style >= kCropStyleCount) return;
  for (int other = 0; other < kCropStyleCount; ++other)
    Panel().SetChecked(CropStyleControl(other), other == style);
  ShowSelection();
}

void CropPage::ShowSelection() {
  const TwipsRect rect = CropStyleRect(CropStyle(), ActiveWindowTwips, FullScreenTwips,
                                       SelectionTwips, PointerMonitorTwips);
  Host().LoadScaleSystem();
  const ScaleSystem& scale = Host().Scale();
  Panel().SetText(IDC_SELECTIONDISP,
                  SelectionDisplayText(rect.width, rect.height, scale.twipsPerUnit,
                                       scale.unitName, UserDecimalSeparator()));
}

void CropPage::SelectArea() {
  if (!hooks_.runAreaSelector) return;
  DialogOpen = true;
  const SharedPicture whole = Pictures().wholePic;
  const int style = hooks_.runAreaSelector(Host().Window(), Handle(whole), CropStyle());
  if (style >= 0) SetCropStyle(style);
  Host().Show();
  DialogOpen = false;
}

void CropPage::EditCapture() {
  auto& vistlib = VistlibClient::Instance();
  const ScaleSystem scale = Host().Scale();
  vistlib.VisEdit(GeneralDecimalText(scale.twipsPerUnit), GeneralDecimalText(TwipsPerPixelX),
                  scale.unitName);
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  DoEvents();
  // As with the capture: the clipboard gets the edited picture, the wizard
  // its own copy straight from the library.
  vistlib.Transfer();
  DoEvents();
  WizardPictures& pictures = Pictures();
  if (HBITMAP edited = vistlib.GivePicture()) {
    pictures.tempPic = MakePicture(edited);
  } else {
    Host().Message(kEditLostText, MB_ICONEXCLAMATION);
  }
  const SIZE size = BitmapSize(Handle(pictures.tempPic));
  pictures.cropRect.width = ToTwips(size.cx, TwipsPerPixelX);
  pictures.cropRect.height = ToTwips(size.cy, TwipsPerPixelY);
  SetCursor(previous);
  Host().Show();
}

bool CropPage::PrepareCrop() {
  WizardPictures& pictures = Pictures();
  CropInputs in;
  in.useEditor = UsesEditor();
  in.cropStyle = CropStyle();
  const SIZE temp = BitmapSize(Handle(pictures.tempPic));
  const SIZE whole = BitmapSize(Handle(pictures.wholePic));
  in.tempWidth = ToTwips(temp.cx, TwipsPerPixelX);
  in.tempHeight = ToTwips(temp.cy, TwipsPerPixelY);
  in.wholeWidth = ToTwips(whole.cx, TwipsPerPixelX);
  in.wholeHeight = ToTwips(whole.cy, TwipsPerPixelY);
  in.activeWindow = ActiveWindowTwips;
  in.fullScreen = FullScreenTwips;
  in.selection = SelectionTwips;
  in.pointerMonitor = PointerMonitorTwips;
  const CropPlan plan = PlanCrop(in);
  switch (plan.source) {
    case CropPlan::Source::Nothing:
      return false;
    case CropPlan::Source::Keep:
      break;
    case CropPlan::Source::Whole:
      pictures.tempPic = pictures.wholePic;
      break;
    case CropPlan::Source::Region:
      pictures.tempPic = nullptr;
      if (plan.zeroBeforePaint) {
        Host().Message(kZeroSizeMessage, MB_ICONSTOP);
      } else {
        const TwipsRect& r = plan.cropRect;
        const SharedPicture whole = pictures.wholePic;
        pictures.tempPic = MakePicture(CopyRegion(
            Handle(whole), ToPixels(r.left, TwipsPerPixelX), ToPixels(r.top, TwipsPerPixelY),
            ToPixels(r.width, TwipsPerPixelX), ToPixels(r.height, TwipsPerPixelY)));
      }
      break;
  }
  pictures.cropRect = plan.cropRect;
  return true;
}

}  // namespace vistrel::wizard
