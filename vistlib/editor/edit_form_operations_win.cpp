// The effect tool bar of the editor: its menus, the selection check and the
// operations.
#include "edit_form_win.h"

#include <commdlg.h>

#include "editor_glyphs_win.h"
#include "editor_res.h"

namespace vistlib {
namespace {

constexpr char kNothingSelectedText[] =
    "You did not select any window or manual area. You can find tools for selecting partial areas "
    "of the screenshot on the left side of Vistrel Editor.\r\r Would you like to apply this "
    "function on the full screenshot?";

struct FillItem {
  int id;
  const char* text;
  uint32_t colour;
};

const FillItem kFillItems[] = {
    {IDM_FILL_WHITE, "&White", 0xFFFFFF},
    {IDM_FILL_OTHER, "&Other color...", 0},
    {IDM_FILL_DESKTOP, "Windows desktop &background", 0x80000001},
    {IDM_FILL_WINDOW, "&Window background", 0x80000004},
    {IDM_FILL_WORKSPACE, "Application &Workspace", 0x8000000C},
    {IDM_FILL_ACTIVE, "&Active title bar", 0x80000002},
    {IDM_FILL_INACTIVE, "&Inactive title bar", 0x80000003},
};

const struct {
  const char* text;
  int width;
} kBorderWidths[] = {{"&0 Points (Remove Border)", 0}, {"&1 Point", 1}, {"&2 Points", 2},
                     {"&3 Points", 3}, {"&4 Points", 4}, {"&5 Points", 5}, {"&7 Points", 7},
                     {"1&0 Points", 10}, {"1&6 Points", 16}};

const struct {
  const char* text;
  Reduction value;
} kReductions[] = {{"Black and White (&1bit)", Reduction::Bits1}, {"&Grayscale", Reduction::Gray},
                   {nullptr, Reduction::Gray},
                   {"16 Colors (&4bit)", Reduction::Bits4}, {"256 Colors (&8bit)", Reduction::Bits8},
                   {"32768 Colors (1&5bit)", Reduction::Bits15},
                   {"65536 Colors (1&6bit)", Reduction::Bits16},
                   {"16.7 Mio Colors (&24bit)", Reduction::Bits24}};

void CheckOnly(HMENU menu, int first, int last, int chosen) {
  for (int id = first; id <= last; ++id) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (id == chosen ? MF_CHECKED : MF_UNCHECKED));
  }
}

}  // namespace

void TVisEditForm::CreateMenus() {
  fillMenu_ = CreatePopupMenu();
  for (const FillItem& item : kFillItems) AppendMenuA(fillMenu_, MF_STRING, item.id, item.text);

  borderMenu_ = CreatePopupMenu();
  borderWidthMenu_ = CreatePopupMenu();
  for (int i = 0; i < 9; ++i)
    AppendMenuA(borderWidthMenu_, MF_STRING, IDM_BORDER_FIRST + i, kBorderWidths[i].text);
  AppendMenuA(borderMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(borderWidthMenu_), "Border &width");
  AppendMenuA(borderMenu_, MF_STRING, IDM_BORDER_COLOR, "Border &color...");

  reductionMenu_ = CreatePopupMenu();
  for (const auto& item : kReductions) {
    if (item.text == nullptr) {
      AppendMenuA(reductionMenu_, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(reductionMenu_, MF_STRING, IDM_REDUCE_BASE + static_cast<int>(item.value), item.text);
    }
  }

  redactMenu_ = CreatePopupMenu();
  AppendMenuA(redactMenu_, MF_STRING, IDM_REDACT_BLACK, "&Black box");
  AppendMenuA(redactMenu_, MF_STRING, IDM_REDACT_FILL, "Box in the &fill colour");
  AppendMenuA(redactMenu_, MF_STRING, IDM_REDACT_MOSAIC, "&Mosaic");

  popUps_ = CreatePopupMenu();
  AppendMenuA(popUps_, MF_STRING, IDM_EXACTZOOM, "&Exact Zoom...");
  AppendMenuA(popUps_, MF_SEPARATOR, 0, nullptr);
  HMENU zoomIn = CreatePopupMenu(), zoomOut = CreatePopupMenu();
  const char* inItems[] = {"200%", "400%", "500%", "900%"};
  const char* outItems[] = {"80%", "60%", "50%", "25%"};
  for (int i = 0; i < 4; ++i) AppendMenuA(zoomIn, MF_STRING, IDM_ZOOM_FIRST + i, inItems[i]);
  for (int i = 0; i < 4; ++i) AppendMenuA(zoomOut, MF_STRING, IDM_ZOOM_FIRST + 5 + i, outItems[i]);
  AppendMenuA(popUps_, MF_POPUP, reinterpret_cast<UINT_PTR>(zoomIn), "Zoom &In");
  AppendMenuA(popUps_, MF_STRING, IDM_ZOOM_FIRST + 4, "100%");
  AppendMenuA(popUps_, MF_POPUP, reinterpret_cast<UINT_PTR>(zoomOut), "Zoom &Out");
}

void TVisEditForm::DropDown(int button) {
  HMENU menu = nullptr;
  HWND bar = toolBar1_;
  switch (button) {
    case IDC_NEWCOLORFILL: menu = fillMenu_; break;
    case IDC_NEWBORDERBTN: menu = borderMenu_; break;
    case IDC_NEWCOLORREDUCEBTN: menu = reductionMenu_; break;
    case IDC_NEWREDACTBTN: menu = redactMenu_; break;
    case IDC_MARKWIDTH: menu = markWidthMenu_; bar = markBar_; break;
    case IDC_EXACTZOOMBTN: menu = popUps_; bar = underToolBar_; break;
    default: return;
  }
  RECT item{};
  SendMessageA(bar, TB_GETRECT, button, reinterpret_cast<LPARAM>(&item));
  MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&item), 2);
  // The zoom menu opens beside its narrow tool bar, the others below.
  const bool beside = bar == underToolBar_;
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, beside ? item.right : item.left,
                 beside ? item.top : item.bottom, 0, form_, nullptr);
}

bool TVisEditForm::SelectionCheck() {
  if (document_.AnySelected()) return true;
  if (MessageBoxA(form_, kNothingSelectedText, "Nothing selected!", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  if (!document_.SelectAll()) return false;
  ImageChanged();
  return true;
}

void TVisEditForm::ChooseFill(int id) {
  uint32_t colour = fillColour_;
  for (const FillItem& item : kFillItems)
    if (item.id == id && id != IDM_FILL_OTHER) colour = item.colour;
  if (id == IDM_FILL_OTHER && !PickEditorColour(form_, colour)) return;
  fillColour_ = colour;
  fillItem_ = id;
  DrawFillGlyph();
  CheckOnly(fillMenu_, IDM_FILL_WHITE, IDM_FILL_INACTIVE, id);
  BeginStep(true);
  FillSelected(document_, PixelOf(ResolveColour(fillColour_)));
  document_.Refresh();
  EndStep();
  ImageChanged();
}

void TVisEditForm::ChooseBorderWidth(int id) {
  borderWidth_ = kBorderWidths[id - IDM_BORDER_FIRST].width;
  DrawBorderGlyph();
  CheckOnly(borderWidthMenu_, IDM_BORDER_FIRST, IDM_BORDER_LAST, id);
  ApplyBorderNow();
}

void TVisEditForm::ChooseBorderColour() {
  PickEditorColour(form_, borderColour_);
  // The width command runs again, as a menu choice of the current width.
  for (int i = 0; i < 9; ++i)
    if (kBorderWidths[i].width == borderWidth_) return ChooseBorderWidth(IDM_BORDER_FIRST + i);
}

void TVisEditForm::ChooseReduction(int id) {
  reduction_ = static_cast<Reduction>(id - IDM_REDUCE_BASE);
  CheckOnly(reductionMenu_, IDM_REDUCE_BASE + 1, IDM_REDUCE_BASE + 8, id);
  ApplyReduction();
}

// Like the reductions: a choice applies to what is selected, and is the
// style of the button from then on.
void TVisEditForm::ChooseRedaction(int id) {
  redactStyle_ = static_cast<RedactStyle>(id - IDM_REDACT_BLACK);
  CheckOnly(redactMenu_, IDM_REDACT_BLACK, IDM_REDACT_MOSAIC, id);
  if (document_.AnySelected()) ApplyRedaction();
}

void TVisEditForm::ApplyRedaction() {
  BeginStep(true);
  RedactSelected(document_, redactStyle_, PixelOf(ResolveColour(fillColour_)));
  document_.Refresh();
  EndStep();
  ImageChanged();
}

void TVisEditForm::ApplyFill() {
  if (!SelectionCheck()) return;
  BeginStep(true);
  FillSelected(document_, PixelOf(ResolveColour(fillColour_)));
  document_.Refresh();
  EndStep();
  ImageChanged();
}

void TVisEditForm::ApplyBorderNow() {
  BeginStep(true);
  ApplyBorder(document_, borderWidth_, PixelOf(ResolveColour(borderColour_)));
  EndStep();
  ImageChanged();
}

void TVisEditForm::Crop() {
  if (!SelectionCheck()) return;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  RemoveOutline();
  BeginStep(true);
  vistrel::Rect kept;
  if (CropToSelection(document_, &kept)) {
    // The marks stay where they were on the picture.
    for (Mark& mark : document_.marks) MoveMark(mark, -kept.left, -kept.top);
    EndStep();
    view_.Reset(document_.image.width, document_.image.height);
    offset_ = {0, 0};
    ImageChanged();
    PlaceView(0, 0);
  } else {
    history_.Cancel();
  }
  SetCursor(previous);
}

void TVisEditForm::ApplyReduction() {
  if (reduction_ == Reduction::Gray) return Grayscale();
  if (!document_.AnySelected()) return;
  BeginStep(true);
  busy_ = true;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  for (int i = 1; i <= document_.table->WindowCount; ++i) {
    if (!document_.table->WindowSelected[i]) continue;
    ReduceDepth(document_.regions[i], reduction_);
    PumpMessages();
  }
  busy_ = false;
  document_.Refresh();
  EndStep();
  ImageChanged();
  SetCursor(previous);
}

void TVisEditForm::Grayscale() {
  int selected = 0;
  for (int i = 1; i <= document_.table->WindowCount; ++i) selected += document_.table->WindowSelected[i];
  if (selected == 0) return;
  char saved[512] = {};
  GetWindowTextA(infoLbl_, saved, sizeof saved);
  SetInfo("Grayscaling...");
  BeginStep(true);
  busy_ = true;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SendMessageA(gauge_, PBM_SETRANGE32, 0, 10 * selected);
  SendMessageA(gauge_, PBM_SETPOS, 0, 0);
  ShowWindow(gauge_, SW_SHOW);
  PumpMessages();
  for (int i = 1; i <= document_.table->WindowCount; ++i) {
    if (!document_.table->WindowSelected[i]) continue;
    const std::vector<uint8_t> jpeg = EncodeGrayJpeg(document_.regions[i], 90);
    SendMessageA(gauge_, PBM_DELTAPOS, 5, 0);
    PumpMessages();
    std::optional<Image> gray = DecodeJpeg(jpeg);
    PumpMessages();
    if (gray) document_.regions[i] = std::move(*gray);
    SendMessageA(gauge_, PBM_DELTAPOS, 5, 0);
  }
  ShowWindow(gauge_, SW_HIDE);
  busy_ = false;
  SetCursor(previous);
  document_.Refresh();
  EndStep();
  ImageChanged();
  SetInfo(saved);
}

void TVisEditForm::BeginStep(bool pixels) { history_.Begin(document_, pixels); }

void TVisEditForm::EndStep() {
  history_.Commit(document_);
  UpdateUndoButtons();
}

void TVisEditForm::Undo() {
  if (history_.Undo(document_)) AfterHistoryStep();
}

void TVisEditForm::Redo() {
  if (history_.Redo(document_)) AfterHistoryStep();
}

// An undone or redone step may have changed the picture's size (a crop): the
// view starts afresh then; marks are plain again either way.
void TVisEditForm::AfterHistoryStep() {
  const Image& image = document_.image;
  if (view_.imageBounds.right != image.width || view_.imageBounds.bottom != image.height) {
    view_.Reset(image.width, image.height);
    offset_ = {0, 0};
    PlaceView(0, 0);
  }
  selectedMark_ = -1;
  editingText_ = false;
  markDrag_ = MarkDrag::None;
  UpdateUndoButtons();
  UpdateStepButton();
  ImageChanged();
}

void TVisEditForm::UpdateUndoButtons() {
  SendMessageA(markBar_, TB_ENABLEBUTTON, IDC_UNDO, history_.CanUndo());
  SendMessageA(markBar_, TB_ENABLEBUTTON, IDC_REDO, history_.CanRedo());
}

void TVisEditForm::DrawFillGlyph() {
  Bitmap glyph = FillGlyph(fillColour_);
  ImageList_Replace(images_, kGlyphFill, glyph.get(), nullptr);
  InvalidateRect(toolBar1_, nullptr, TRUE);
}

void TVisEditForm::DrawBorderGlyph() {
  Bitmap glyph = BorderGlyph(borderColour_, borderWidth_);
  ImageList_Replace(images_, kGlyphBorder, glyph.get(), nullptr);
  InvalidateRect(toolBar1_, nullptr, TRUE);
}

}  // namespace vistlib
