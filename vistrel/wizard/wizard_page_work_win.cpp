// The work the wizard's pages start, from their buttons or from the walk:
// cropping, effects, the editor, saving, printing, the preview and mail. Each
// output's own work lives in its room; this file hands it the wizard's
// pictures and the pages' values.
#include "clipboard_handover.h"
#include "crop_preparation.h"
#include "event_pump_win.h"
#include "fx_exchange_win.h"
#include "gdi_handles_win.h"
#include "number_text.h"
#include "print_run_win.h"
#include "recent_captures_win.h"
#include "save_it_win.h"
#include "send_mail_win.h"
#include "shell_state.h"
#include "vistlib_client_win.h"
#include "wizard_window_win.h"

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

}  // namespace

EffectsControls Wizard::EffectsPageControls() const {
  EffectsControls controls;
  controls.percText = Control(kEffectsPage, IDC_PERCTEXT0);
  controls.scaleTextX = Control(kEffectsPage, IDC_SCALETEXTX);
  controls.scaleTextY = Control(kEffectsPage, IDC_SCALETEXTY);
  controls.rotText = Control(kEffectsPage, IDC_ROTTEXT);
  controls.rotScroll = Control(kEffectsPage, IDC_ROTSCROLL);
  for (int i = 0; i < 3; ++i) controls.effect[i] = Control(kEffectsPage, IDC_EFFECT0 + i);
  return controls;
}

ScaleContext Wizard::CropScale() const {
  return {static_cast<double>(cropRect.width), static_cast<double>(cropRect.height),
          scale_.twipsPerUnit, UserDecimalSeparator()};
}

SaveTarget Wizard::CurrentSaveTarget() const {
  SaveTarget target;
  target.folder = Value(Field::Path, 0);
  target.baseName = Value(Field::Name, 0);
  target.formatEntry = WindowText(Control(kSavePage, IDC_FILEFORMAT));
  target.compressSave = Checked(kSavePage, IDC_COMPRESSSAVE);
  target.compileZipSave = Checked(kSavePage, IDC_COMPILEZIPSAVE);
  return target;
}

void Wizard::UpdateScaleTexts() {
  UpdateScaleTextsWin(EffectsPageControls(), CropScale());
}

void Wizard::PrepareCrop() {
  CropInputs in;
  in.useEditor = Checked(kCropPage, IDC_USECROPOREDIT0);
  in.cropStyle = CropStyle();
  const SIZE temp = BitmapSize(Handle(tempPic)), whole = BitmapSize(Handle(wholePic));
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
      return;
    case CropPlan::Source::Keep:
      break;
    case CropPlan::Source::Whole:
      tempPic = wholePic;
      break;
    case CropPlan::Source::Region:
      tempPic = nullptr;
      if (plan.zeroBeforePaint) {
        Message(kZeroSizeMessage, MB_ICONSTOP);
      } else {
        const TwipsRect& r = plan.cropRect;
        const SharedPicture whole = wholePic;
        tempPic = MakePicture(CopyRegion(
            Handle(whole), ToPixels(r.left, TwipsPerPixelX), ToPixels(r.top, TwipsPerPixelY),
            ToPixels(r.width, TwipsPerPixelX), ToPixels(r.height, TwipsPerPixelY)));
      }
      break;
  }
  cropRect = plan.cropRect;
  UpdateScaleTexts();
}

void Wizard::DoFx() {
  const EffectsBoxes boxes = ReadEffectsBoxes(EffectsPageControls());
  if (!EffectsChanged(boxes)) {
    // No effect to apply: the output is the working picture itself, not a copy.
    fxPic = tempPic;
    return;
  }
  UnitScale unit{scale_.twipsPerUnit, TwipsPerPixelX, UserDecimalSeparator()};
  // Empty when TempPic is or the conversion was refused: no stale picture goes out.
  const SharedPicture source = tempPic;
  DoFxWin(window_, boxes, unit, Handle(source), fxPic);
}

void Wizard::EditCapture() {
  auto& vistlib = VistlibClient::Instance();
  const std::string unit = scale_.unitName;
  vistlib.VisEdit(GeneralDecimalText(scale_.twipsPerUnit), GeneralDecimalText(TwipsPerPixelX), unit);
  scale_.unitName = unit;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  DoEvents();
  // As with the capture: only the picture the editor placed is taken.
  ClipboardHandover handover;
  handover.before = static_cast<uint32_t>(GetClipboardSequenceNumber());
  vistlib.Transfer();
  handover.placed = static_cast<uint32_t>(GetClipboardSequenceNumber());
  handover.ours = ClipboardOwnedByThisProcess();
  DoEvents();
  HBITMAP edited = HandoverPlaced(handover) ? CopyBitmapFromClipboard(window_) : nullptr;
  handover.read = edited != nullptr;
  handover.afterRead = static_cast<uint32_t>(GetClipboardSequenceNumber());
  if (HandoverArrived(handover)) {
    tempPic = MakePicture(edited);
  } else {
    if (edited) DeleteObject(edited);
    Message(kEditLostText, MB_ICONEXCLAMATION);
  }
  const SIZE size = BitmapSize(Handle(tempPic));
  cropRect.width = ToTwips(size.cx, TwipsPerPixelX);
  cropRect.height = ToTwips(size.cy, TwipsPerPixelY);
  SetCursor(previous);
  Show();
}

void Wizard::RefreshSaveName() {
  SetDlgItemTextA(pages_[kSavePage], IDC_SAVENAME, AutoFileNameWin(CurrentSaveTarget()).c_str());
}

void Wizard::Save() {
  const SharedPicture picture = fxPic;
  const SaveOutcome outcome =
      SaveItWin(window_, CurrentSaveTarget(), Handle(picture), lastSavedFile_);
  if (outcome.saved) SetDlgItemTextA(pages_[kSavePage], IDC_SAVENAME, outcome.saveName.c_str());
  if (outcome.saved) RecordSavedCapture(lastSavedFile_);
}

void Wizard::Print() {
  const SharedPicture picture = fxPic;
  print::PrintFxPic(
      window_, {WindowText(Control(kPrintPage, IDC_COPIES)), Checked(kPrintPage, IDC_STRETCHPRINT),
                Handle(picture), printer_.DevNames(), printer_.DevMode()});
}

void Wizard::Preview() {
  print::OpenOutputPreview([this] {
    DoFx();
    return fxPic;
  });
}

void Wizard::MailIt() {
  SendMailFromPage(window_,
                   {Control(kMailPage, IDC_MAILTO), Control(kMailPage, IDC_SUBJECT),
                    Control(kMailPage, IDC_MSGBODY), Control(kMailPage, IDC_COMPRESSMAIL),
                    Control(kMailPage, IDC_COMPILEZIPMAIL), Control(kSavePage, IDC_FILEFORMAT)},
                   fxPic, CallConvertImage, hooks_.showSetup);
}

void Wizard::OnUseCropOrEdit(bool editor) {
  SetChecked(kCropPage, IDC_USECROPOREDIT0, editor);
  SetChecked(kCropPage, IDC_USECROPOREDIT1, !editor);
  Enable(kCropPage, IDC_PRIVGETSELECTIONWINDOW, editor);
  Enable(kCropPage, IDC_AUTOMATE0, editor);
  for (int id : {IDC_CROPSTYLE0, IDC_CROPSTYLE1, IDC_CROPSTYLE2, IDC_CROPSTYLE3, IDC_SELECTAREA,
                 IDC_SELECTIONDISP})
    Enable(kCropPage, id, !editor);
}

void Wizard::OnSelectArea() {
  if (!hooks_.runAreaSelector) return;
  DialogOpen = true;
  const SharedPicture whole = wholePic;
  const int style = hooks_.runAreaSelector(window_, Handle(whole), CropStyle());
  if (style >= 0) SetCropStyle(style);
  Show();
  DialogOpen = false;
}

void Wizard::OnCopiesChange() {
  const std::string text = WindowText(Control(kPrintPage, IDC_COPIES));
  if (text.empty()) return;
  const double copies = Val(text);
  if (copies > 1)
    SetDlgItemTextA(pages_[kPrintPage], IDC_LABEL8, "Copies");
  else if (copies == 1)
    SetDlgItemTextA(pages_[kPrintPage], IDC_LABEL8, "Copy");
}

}  // namespace vistrel::wizard
