// The annotation tool bar of the editor and the marks on the image: drawing
// them, picking, moving and resizing them with the mouse, moving, deleting
// and typing into them with the keyboard. Every change is one undo step.
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "edit_form_win.h"
#include "editor_glyphs_win.h"
#include "editor_res.h"
#include "module_win.h"

namespace vistlib {
namespace {

struct MarkTool {
  int id;
  MarkKind kind;
};
constexpr MarkTool kMarkTools[] = {{IDC_MARKARROW, MarkKind::Arrow},
                                   {IDC_MARKRECTANGLE, MarkKind::Rectangle},
                                   {IDC_MARKELLIPSE, MarkKind::Ellipse},
                                   {IDC_MARKTEXT, MarkKind::Text},
                                   {IDC_MARKHIGHLIGHTER, MarkKind::Highlighter},
                                   {IDC_MARKSTEP, MarkKind::Step}};

constexpr int kMarkWidths[] = {1, 2, 3, 5, 8};

MarkKind KindOf(int tool) {
  for (const MarkTool& t : kMarkTools)
    if (t.id == tool) return t.kind;
  return MarkKind::Rectangle;
}

// A shape of no size was a mere click; a text without text is no mark.
bool Degenerate(const Mark& mark) {
  switch (mark.kind) {
    case MarkKind::Text:
      return mark.text.empty();
    case MarkKind::Step:
      return false;
    default:
      return mark.a == mark.b;
  }
}

}  // namespace

void TVisEditForm::CreateMarkBar() {
  markBar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 TBSTYLE_LIST | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, 10, 10, form_, reinterpret_cast<HMENU>(INT_PTR{IDC_MARKBAR}),
                             ModuleInstance(), nullptr);
  SendMessageA(markBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(markBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
  SendMessageA(markBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  auto button = [](int image, int id, BYTE style, const char* text) {
    TBBUTTON b{};
    b.iBitmap = image;
    b.idCommand = id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = static_cast<BYTE>(style | BTNS_AUTOSIZE);
    b.iString = reinterpret_cast<INT_PTR>(text);
    return b;
  };
  TBBUTTON buttons[] = {button(kGlyphUndo, IDC_UNDO, BTNS_BUTTON, "&Undo"),
                        button(kGlyphRedo, IDC_REDO, BTNS_BUTTON, "R&edo"),
                        button(kGlyphArrow, IDC_MARKARROW, BTNS_CHECK, "&Arrow"),
                        button(kGlyphRectangle, IDC_MARKRECTANGLE, BTNS_CHECK, "Rec&tangle"),
                        button(kGlyphEllipse, IDC_MARKELLIPSE, BTNS_CHECK, "Elli&pse"),
                        button(kGlyphText, IDC_MARKTEXT, BTNS_CHECK, "Te&xt"),
                        button(kGlyphHighlighter, IDC_MARKHIGHLIGHTER, BTNS_CHECK, "&Highlighter"),
                        // Pictures only, to fit the bar; the step tool shows its next number.
      button(kGlyphStep, IDC_MARKSTEP, BTNS_CHECK | BTNS_SHOWTEXT, "&Step 1"),
                        button(kGlyphWidth, IDC_MARKWIDTH, BTNS_WHOLEDROPDOWN, "&Line width"),
                        button(kGlyphColour, IDC_MARKCOLOUR, BTNS_BUTTON, "C&olour")};
  SendMessageA(markBar_, TB_ADDBUTTONSA, sizeof buttons / sizeof buttons[0],
               reinterpret_cast<LPARAM>(buttons));
  markWidthMenu_ = CreatePopupMenu();
  for (int i = 0; i < 5; ++i) {
    const std::string text =
        "&" + std::to_string(kMarkWidths[i]) + (kMarkWidths[i] == 1 ? " Point" : " Points");
    AppendMenuA(markWidthMenu_, MF_STRING, IDM_MARKWIDTH_FIRST + i, text.c_str());
  }
  ChooseMarkWidth(IDM_MARKWIDTH_FIRST + 2);
  Bitmap swatch = ColourGlyph(ColorRefOf(markColour_));
  ImageList_Replace(images_, kGlyphColour, swatch.get(), nullptr);
  UpdateUndoButtons();
}

MarkPoint TVisEditForm::PicturePoint(int x, int y) const {
  return {static_cast<int>(std::floor(x / view_.zoomFactor)),
          static_cast<int>(std::floor(y / view_.zoomFactor))};
}

void TVisEditForm::ChooseMarkTool(int id) {
  EndTextEditing();
  zoomMode_ = ZoomTool::None;
  for (int other : {IDC_GETMAGICWINDOW, IDC_GETMANUALSELECTION, IDC_ZOOMIN, IDC_ZOOMOUT})
    SetDown(other, false);
  RemoveOutline();
  for (const MarkTool& tool : kMarkTools) SetDown(tool.id, tool.id == id);
  markTool_ = id;
  SetImageCursor(ID_CURSORCROSS);
}

void TVisEditForm::LeaveMarkTool() {
  EndTextEditing();
  SelectMark(-1);
  markDrag_ = MarkDrag::None;
  markTool_ = 0;
  for (const MarkTool& tool : kMarkTools) SetDown(tool.id, false);
}

void TVisEditForm::SelectMark(int index) {
  if (index == selectedMark_) return;
  if (index != selectedMark_ && editingText_) EndTextEditing();
  selectedMark_ = index;
  InvalidateRect(panel_, nullptr, FALSE);
}

void TVisEditForm::EndTextEditing() {
  if (!editingText_) return;
  editingText_ = false;
  // A text left empty is no mark.
  if (selectedMark_ >= 0 && selectedMark_ < static_cast<int>(document_.marks.size()) &&
      Degenerate(document_.marks[selectedMark_])) {
    BeginStep(false);
    const vistrel::Rect gone = MarkBounds(document_.marks[selectedMark_]);
    document_.marks.erase(document_.marks.begin() + selectedMark_);
    selectedMark_ = -1;
    EndStep();
    MarksChanged(gone);
  }
  InvalidateRect(panel_, nullptr, FALSE);
}

bool TVisEditForm::MarkMouseDown(int x, int y) {
  if (markTool_ == 0) return false;
  const double zoom = view_.zoomFactor;
  const MarkPoint at = PicturePoint(x, y);
  dragLast_ = at;
  const auto hit = HitMarks(document_.marks, x / zoom, y / zoom, 4 / zoom);
  BeginStep(false);
  if (hit) {
    SelectMark(hit->index);
    const Mark& mark = document_.marks[hit->index];
    if (mark.kind == MarkKind::Text && markTool_ == IDC_MARKTEXT) editingText_ = true;
    markDrag_ = hit->part == MarkPart::HandleA   ? MarkDrag::HandleA
                : hit->part == MarkPart::HandleB ? MarkDrag::HandleB
                                                 : MarkDrag::Move;
    return true;
  }
  EndTextEditing();
  Mark mark;
  mark.kind = KindOf(markTool_);
  mark.a = mark.b = at;
  mark.colour = markColour_;
  mark.width = markWidth_;
  if (mark.kind == MarkKind::Step) mark.number = NextStepNumber(document_.marks);
  if (mark.kind == MarkKind::Text) LayoutText(mark, markText_.Rasteriser());
  document_.marks.push_back(mark);
  selectedMark_ = static_cast<int>(document_.marks.size()) - 1;
  editingText_ = mark.kind == MarkKind::Text;
  markDrag_ =
      mark.kind == MarkKind::Text || mark.kind == MarkKind::Step ? MarkDrag::Move : MarkDrag::Draw;
  MarksChanged(MarkBounds(mark));
  UpdateStepButton();
  return true;
}

bool TVisEditForm::MarkMouseMove(int x, int y) {
  if (markDrag_ == MarkDrag::None || selectedMark_ < 0) return markTool_ != 0;
  if (dragMoveBusy_) return true;
  dragMoveBusy_ = true;
  Mark& mark = document_.marks[selectedMark_];
  const vistrel::Rect before = MarkBounds(mark);
  const MarkPoint at = PicturePoint(x, y);
  switch (markDrag_) {
    case MarkDrag::Draw:
      mark.b = at;
      break;
    case MarkDrag::Move:
      MoveMark(mark, at.x - dragLast_.x, at.y - dragLast_.y);
      break;
    case MarkDrag::HandleA:
      DragHandle(mark, MarkPart::HandleA, at);
      break;
    case MarkDrag::HandleB:
      DragHandle(mark, MarkPart::HandleB, at);
      break;
    case MarkDrag::None:
      break;
  }
  dragLast_ = at;
  MarksChanged(vistrel::Union(before, MarkBounds(mark)));
  UpdateWindow(panel_);
  dragMoveBusy_ = false;
  return true;
}

bool TVisEditForm::MarkMouseUp() {
  if (markTool_ == 0) return false;
  if (markDrag_ == MarkDrag::None) return true;
  const bool drawn = markDrag_ == MarkDrag::Draw;
  markDrag_ = MarkDrag::None;
  if (drawn && selectedMark_ >= 0 && Degenerate(document_.marks[selectedMark_])) {
    const vistrel::Rect gone = MarkBounds(document_.marks[selectedMark_]);
    document_.marks.erase(document_.marks.begin() + selectedMark_);
    selectedMark_ = -1;
    history_.Cancel();
    MarksChanged(gone);
    return true;
  }
  EndStep();
  return true;
}

bool TVisEditForm::MarkKey(MSG& message) {
  const int count = static_cast<int>(document_.marks.size());
  if (selectedMark_ < 0 || selectedMark_ >= count) return false;
  Mark& mark = document_.marks[selectedMark_];
  const vistrel::Rect before = MarkBounds(mark);
  auto edit = [&](auto change) {
    BeginStep(false);
    change();
    EndStep();
    const vistrel::Rect after =
        selectedMark_ >= 0 ? MarkBounds(document_.marks[selectedMark_]) : vistrel::Rect{};
    MarksChanged(vistrel::Union(before, after));
    return true;
  };
  if (editingText_ && message.message == WM_CHAR) {
    const auto c = static_cast<unsigned char>(message.wParam);
    if (c < 32) return true;  // Backspace and Enter came as keys
    return edit([&] {
      mark.text += static_cast<char>(c);
      LayoutText(mark, markText_.Rasteriser());
    });
  }
  if (message.message != WM_KEYDOWN) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (editingText_) {
    switch (message.wParam) {
      case VK_BACK:
        if (mark.text.empty()) return true;
        return edit([&] {
          mark.text.pop_back();
          LayoutText(mark, markText_.Rasteriser());
        });
      case VK_RETURN:
        return edit([&] {
          mark.text += '\n';
          LayoutText(mark, markText_.Rasteriser());
        });
      case VK_ESCAPE:
        EndTextEditing();
        return true;
      case VK_DELETE:
        break;
      default:
        // Letters come as characters from the translation.
        if (message.wParam != VK_LEFT && message.wParam != VK_RIGHT && message.wParam != VK_UP &&
            message.wParam != VK_DOWN) {
          TranslateMessage(&message);
          return true;
        }
    }
  }
  const int step = shift ? 10 : 1;
  switch (message.wParam) {
    case VK_LEFT:
      return edit([&] { MoveMark(mark, -step, 0); });
    case VK_RIGHT:
      return edit([&] { MoveMark(mark, step, 0); });
    case VK_UP:
      return edit([&] { MoveMark(mark, 0, -step); });
    case VK_DOWN:
      return edit([&] { MoveMark(mark, 0, step); });
    case VK_DELETE:
      editingText_ = false;
      return edit([&] {
        document_.marks.erase(document_.marks.begin() + selectedMark_);
        selectedMark_ = -1;
        UpdateStepButton();
      });
    case VK_ESCAPE:
      SelectMark(-1);
      return true;
    default:
      return false;
  }
}

void TVisEditForm::ChooseMarkWidth(int id) {
  markWidth_ = kMarkWidths[id - IDM_MARKWIDTH_FIRST];
  for (int i = IDM_MARKWIDTH_FIRST; i <= IDM_MARKWIDTH_LAST; ++i)
    CheckMenuItem(markWidthMenu_, i, MF_BYCOMMAND | (i == id ? MF_CHECKED : MF_UNCHECKED));
  Bitmap glyph = WidthGlyph(markWidth_);
  ImageList_Replace(images_, kGlyphWidth, glyph.get(), nullptr);
  InvalidateRect(markBar_, nullptr, TRUE);
  if (selectedMark_ >= 0 && document_.marks[selectedMark_].width != markWidth_) {
    Mark& mark = document_.marks[selectedMark_];
    const vistrel::Rect before = MarkBounds(mark);
    BeginStep(false);
    mark.width = markWidth_;
    if (mark.kind == MarkKind::Text) LayoutText(mark, markText_.Rasteriser());
    EndStep();
    MarksChanged(before);
    MarksChanged(MarkBounds(mark));
  }
}

void TVisEditForm::ChooseMarkColour() {
  uint32_t colour = ColorRefOf(markColour_);
  if (!PickEditorColour(form_, colour)) return;
  markColour_ = PixelOf(colour);
  Bitmap glyph = ColourGlyph(colour);
  ImageList_Replace(images_, kGlyphColour, glyph.get(), nullptr);
  InvalidateRect(markBar_, nullptr, TRUE);
  if (selectedMark_ >= 0 && document_.marks[selectedMark_].colour != markColour_) {
    BeginStep(false);
    document_.marks[selectedMark_].colour = markColour_;
    EndStep();
    MarksChanged(MarkBounds(document_.marks[selectedMark_]));
  }
}

void TVisEditForm::UpdateStepButton() {
  static std::string text;
  text = "&Step " + std::to_string(NextStepNumber(document_.marks));
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  info.pszText = text.data();
  SendMessageA(markBar_, TB_SETBUTTONINFOA, IDC_MARKSTEP, reinterpret_cast<LPARAM>(&info));
}

// The picture and the marks over it, drawn again only where `changed` says.
void TVisEditForm::MarksChanged(const vistrel::Rect& changed) {
  const Image& image = document_.image;
  if (composite_.width != image.width || composite_.height != image.height) return ComposeMarks();
  const vistrel::Rect area =
      RecomposeMarks(composite_, image, document_.marks, markText_.Rasteriser(), changed);
  if (area.right > area.left) display_.Update(composite_, area);
  // Handles reach a few view pixels past the mark.
  RECT shown{offset_.x + view_.ToView(changed.left) - 6, offset_.y + view_.ToView(changed.top) - 6,
             offset_.x + view_.ToView(changed.right) + 6,
             offset_.y + view_.ToView(changed.bottom) + 6};
  InvalidateRect(panel_, &shown, FALSE);
}

void TVisEditForm::ComposeMarks() {
  composite_ = document_.image;
  DrawMarks(composite_, document_.marks, markText_.Rasteriser());
  display_.Update(composite_);
  InvalidateRect(panel_, nullptr, FALSE);
}

void TVisEditForm::PaintMarkHandles(HDC dc) {
  if (selectedMark_ < 0 || selectedMark_ >= static_cast<int>(document_.marks.size())) return;
  const Mark& mark = document_.marks[selectedMark_];
  auto at = [&](int x, int y) {
    return POINT{offset_.x + view_.ToView(x), offset_.y + view_.ToView(y)};
  };
  if (mark.kind == MarkKind::Text || mark.kind == MarkKind::Step) {
    // A dotted frame: text is edited in place, a step is moved whole.
    const vistrel::Rect b = MarkBounds(mark);
    const POINT lt = at(b.left, b.top), rb = at(b.right, b.bottom);
    RECT frame{lt.x, lt.y, rb.x, rb.y};
    DrawFocusRect(dc, &frame);
    return;
  }
  for (const MarkPoint& p : {mark.a, mark.b}) {
    const POINT c = at(p.x, p.y);
    const int half = std::max(3, view_.ToView(1) / 2);
    RECT handle{c.x - 3, c.y - 3, c.x + 2 * half - 2, c.y + 2 * half - 2};
    InvertRect(dc, &handle);
  }
}

void TVisEditForm::DrawMarksIntoImage() {
  if (document_.marks.empty()) return;
  DrawMarks(document_.image, document_.marks, markText_.Rasteriser());
  document_.marks.clear();
  selectedMark_ = -1;
  editingText_ = false;
}

}  // namespace vistlib
