#include "dpi_win.h"
#include "edit_form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <vector>

#include "editor_cursors_win.h"
#include "editor_glyphs_win.h"
#include "editor_res.h"
#include "editor_settings_win.h"
#include "module_win.h"
#include "window_thunk_win.h"

namespace vistlib {
namespace {

constexpr char kFormClass[] = "TVisEditForm";
constexpr char kPanelClass[] = "TVisEditPanel";
constexpr char kCaption[] = "Tarnwick Vistrel Editor (TM)";
constexpr int kMarkBarTop = 74;
constexpr int kTopPanel = 104;
constexpr int kLeftPanel = 30;

struct Hint {
  int id;
  const char* text;  // short|long
};

const Hint kHints[] = {
    {IDC_GETMAGICWINDOW,
     "Window selector|Window selector. Press this button down and move over the screenshot to "
     "select windows."},
    {IDC_GETMANUALSELECTION,
     "Manual selector|Press button down to select precise regions in the screenshot by mouse."},
    {IDC_GETACTIVEWINDOW,
     "Active window selector|Active window selector. Toggels selection of the active window in the "
     "screenshot on/off."},
    {IDC_GETFULLSCREEN, "Full screen selector|Toggels all windows in the screenshot on/off."},
    {IDC_DISCARDSELECTION, "Unselect all|Unselects all current selections."},
    {IDC_MULTISELECT,
     "Multi selection area mode|Press button down to enable multiple selection mode"},
    {IDC_ZOOMIN, "Zoom in|Press button down and click on the screenshot to zoom in."},
    {IDC_ZOOMOUT, "Zoom out|Press button down and click on the screenshot to zoom out."},
    {IDC_EXACTZOOMBTN, "Exact zoom|Zoom to a level of your choice or to one of the presets."},
    {IDC_NEWCOLORFILL,
     "Fills selection with color|Fills selection with color. Click the arrow on the right to "
     "change colors."},
    {IDC_NEWBORDERBTN,
     "Draws a border around the selection|Draws a border around the selection. Click the arrow on "
     "the right to select the width and the color of the border."},
    {IDC_NEWCROPBTN, "Crops to current selection|Crops to current selection."},
    {IDC_NEWCOLORREDUCEBTN,
     "Reduces color of current selection|Reduces color of current selection. Click on the right "
     "arrow to select a lower color depth."},
    {IDC_UNDO, "Undo (Alt+U)|Undoes the last change (Ctrl+Z)."},
    {IDC_REDO, "Redo (Alt+E)|Does again what was undone (Ctrl+Y)."},
    {IDC_MARKARROW,
     "Arrow (Alt+A)|Press button down and drag on the screenshot to draw an arrow. Click a mark to "
     "select it; the arrow keys move it (with Shift by 10), Delete removes it."},
    {IDC_MARKRECTANGLE,
     "Rectangle (Alt+T)|Press button down and drag on the screenshot to draw a rectangle. Click a "
     "mark to select it; the arrow keys move it (with Shift by 10), Delete removes it."},
    {IDC_MARKELLIPSE,
     "Ellipse (Alt+P)|Press button down and drag on the screenshot to draw an ellipse. Click a "
     "mark to select it; the arrow keys move it (with Shift by 10), Delete removes it."},
    {IDC_MARKTEXT,
     "Text (Alt+X)|Press button down, click on the screenshot and type. Enter starts a new line."},
    {IDC_MARKHIGHLIGHTER,
     "Highlighter (Alt+H)|Press button down and drag over text to highlight it. Click a mark to "
     "select it; the arrow keys move it (with Shift by 10), Delete removes it."},
    {IDC_MARKSTEP,
     "Step number (Alt+S)|Press button down and click on the screenshot to place the next step "
     "number. Click a mark to select it; the arrow keys move it (with Shift by 10), Delete removes "
     "it."},
    {IDC_MARKWIDTH, "Line width (Alt+L)|Chooses the width of new marks and of the selected mark."},
    {IDC_MARKCOLOUR, "Colour (Alt+O)|Chooses the colour of new marks and of the selected mark."},
    {IDC_NEWREDACTBTN,
     "Hides the selection for good|Covers the selection so that nothing of what was there stays in "
     "the picture. Click the arrow on the right to choose a black box, a box in the fill color or "
     "a mosaic."},
};

std::string HintPart(int id, bool longPart) {
  for (const Hint& hint : kHints) {
    if (hint.id != id) continue;
    std::string text = hint.text;
    const size_t bar = text.find('|');
    return longPart ? text.substr(bar + 1) : text.substr(0, bar);
  }
  return {};
}

void RegisterClasses(WNDPROC formProcedure, WNDPROC panelProcedure) {
  WNDCLASSA existing{};
  if (GetClassInfoA(ModuleInstance(), kFormClass, &existing)) return;
  WNDCLASSA form{};
  form.lpfnWndProc = formProcedure;
  form.hInstance = ModuleInstance();
  form.hCursor = LoadCursor(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  form.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  WNDCLASSA panel = form;
  panel.lpfnWndProc = panelProcedure;
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  panel.lpszClassName = kPanelClass;
  panel.hIcon = nullptr;
  panel.style = CS_DBLCLKS;
  if (!RegisterClassA(&form) || !RegisterClassA(&panel))
    throw std::runtime_error("Unable to register the editor's window classes.");
}

HWND ToolBarWindow(HWND parent, int id, DWORD style) {
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | style,
                             0, 0, 10, 10, parent, reinterpret_cast<HMENU>(INT_PTR{id}),
                             ModuleInstance(), nullptr);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  return bar;
}

TBBUTTON Button(int image, int id, BYTE style, const char* text = nullptr,
                BYTE state = TBSTATE_ENABLED) {
  TBBUTTON button{};
  button.iBitmap = image;
  button.idCommand = id;
  button.fsState = state;
  button.fsStyle = style;
  button.iString = text != nullptr ? reinterpret_cast<INT_PTR>(text) : -1;
  return button;
}

// Runs one of the editor's handlers. A failure the user can meet (no memory
// for an undo step) is told in a message box, and the editor stays open; what
// is no std::exception is left to the caller's guard, which logs it.
template <typename Result, typename Handler>
Result TellingFailure(HWND owner, Result failed, Handler&& handler) {
  try {
    return handler();
  } catch (const std::exception& error) {
    vistrel::LogCaughtException("editor", error.what());
    MessageBoxA(owner, error.what(), "Tarnwick Vistrel", MB_OK | MB_ICONERROR);
  }
  return failed;
}

// The windows the modal editor disables while it is open.
BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
  auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
  if (IsWindowVisible(window) && IsWindowEnabled(window)) windows->push_back(window);
  return TRUE;
}

}  // namespace

TVisEditForm::TVisEditForm(EngineState& engine) : engine_(engine), document_(engine.Table) {
  RegisterClasses(vistrel::WindowThunk<TVisEditForm, &TVisEditForm::FormProcedure>,
                  vistrel::WindowThunk<TVisEditForm, &TVisEditForm::PanelProcedure>);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // Tall enough that the view keeps its size beside the tool bar of marks.
  const int dpi = vistrel::SystemDpi();
  CreateWindowExA(0, kFormClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                  CW_USEDEFAULT, vistrel::Scaled(638, dpi), vistrel::Scaled(474, dpi), nullptr,
                  nullptr, ModuleInstance(), this);
  if (form_ == nullptr) throw std::runtime_error("Unable to create the editor window.");
  dpi_ = vistrel::WindowDpi(form_);
  CreateControls();
  CreateMenus();
  // The creation's own choices, made through their commands as a user would.
  ChooseBorderWidth(IDM_BORDER_FIRST + 3);
  ChooseFill(IDM_FILL_DESKTOP);
  ChooseReduction(IDM_REDUCE_BASE + static_cast<int>(Reduction::Gray));
  ChooseRedaction(IDM_REDACT_BLACK);
  SetInfo("");
  view_.Reset(0, 0);
  LoadSettings();
  Layout();
}

TVisEditForm::~TVisEditForm() {
  if (form_ != nullptr) DestroyWindow(form_);
  for (HMENU menu : {fillMenu_, borderMenu_, reductionMenu_, redactMenu_, markWidthMenu_, popUps_})
    if (menu != nullptr) DestroyMenu(menu);
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (infoFont_ != nullptr) DeleteObject(infoFont_);
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
}

void TVisEditForm::CreateControls() {
  images_ = ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR24, kGlyphCount, 0);
  for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
    Bitmap picture = DrawGlyph(static_cast<Glyph>(glyph));
    ImageList_Add(images_, picture.get(), nullptr);
  }
  auto child = [&](const char* cls, const char* text, DWORD style, int id, DWORD exStyle = 0) {
    return CreateWindowExA(exStyle, cls, text, WS_CHILD | style, 0, 0, 10, 10, form_,
                           reinterpret_cast<HMENU>(INT_PTR{id}), ModuleInstance(), nullptr);
  };

  toolBar1_ = ToolBarWindow(form_, IDC_TOOLBAR1, TBSTYLE_LIST);
  SendMessageA(toolBar1_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  TBBUTTON effects[] = {
      Button(kGlyphFill, IDC_NEWCOLORFILL, BTNS_DROPDOWN | BTNS_AUTOSIZE, "Color&fill"),
      Button(kGlyphBorder, IDC_NEWBORDERBTN, BTNS_DROPDOWN | BTNS_AUTOSIZE, "&Border"),
      Button(kGlyphCrop, IDC_NEWCROPBTN, BTNS_AUTOSIZE, "&Crop"),
      Button(kGlyphReduce, IDC_NEWCOLORREDUCEBTN, BTNS_DROPDOWN | BTNS_AUTOSIZE, "&Reduce colors"),
      Button(kGlyphRedact, IDC_NEWREDACTBTN, BTNS_DROPDOWN | BTNS_AUTOSIZE, "Re&dact")};
  SendMessageA(toolBar1_, TB_ADDBUTTONSA, 5, reinterpret_cast<LPARAM>(effects));

  unloadButton_ = child("BUTTON", "Back to Vistrel &Wizard",
                        WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_UNLOADBUTTON);
  infoLbl_ = child("STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, IDC_INFOLBL);
  SetFonts();
  gauge_ = child(PROGRESS_CLASSA, nullptr, 0, IDC_GAUGE);
  SendMessageA(gauge_, PBM_SETRANGE32, 0, 100);

  toolBar_ = ToolBarWindow(form_, IDC_TOOLBAR, CCS_VERT | TBSTYLE_WRAPABLE);
  SendMessageA(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  const BYTE wrap = TBSTATE_ENABLED | TBSTATE_WRAP;
  TBBUTTON selection[] = {Button(kGlyphMagic, IDC_GETMAGICWINDOW, BTNS_CHECK, nullptr, wrap),
                          Button(kGlyphManual, IDC_GETMANUALSELECTION, BTNS_CHECK, nullptr, wrap),
                          Button(kGlyphActive, IDC_GETACTIVEWINDOW, BTNS_BUTTON, nullptr, wrap),
                          Button(kGlyphFullScreen, IDC_GETFULLSCREEN, BTNS_BUTTON, nullptr, wrap),
                          Button(kGlyphDiscard, IDC_DISCARDSELECTION, BTNS_BUTTON, nullptr, wrap),
                          Button(kGlyphMulti, IDC_MULTISELECT, BTNS_CHECK, nullptr, wrap)};
  SendMessageA(toolBar_, TB_ADDBUTTONSA, 6, reinterpret_cast<LPARAM>(selection));

  underToolBar_ = ToolBarWindow(form_, IDC_UNDERTOOLBAR, CCS_VERT | TBSTYLE_WRAPABLE);
  SendMessageA(underToolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  TBBUTTON zoom[] = {Button(kGlyphZoomIn, IDC_ZOOMIN, BTNS_CHECK, nullptr, wrap),
                     Button(kGlyphZoomOut, IDC_ZOOMOUT, BTNS_CHECK, nullptr, wrap),
                     Button(kGlyphExactZoom, IDC_EXACTZOOMBTN, BTNS_BUTTON, nullptr, wrap)};
  SendMessageA(underToolBar_, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(zoom));
  for (HWND bar : {toolBar_, underToolBar_})
    SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(28, 26));

  CreateMarkBar();

  statusBar_ = child(STATUSCLASSNAMEA, "", WS_VISIBLE, IDC_STATUSBAR);
  SendMessageA(statusBar_, SB_SIMPLE, TRUE, 0);

  CreateWindowExA(WS_EX_CLIENTEDGE, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                  10, 10, form_, reinterpret_cast<HMENU>(INT_PTR{IDC_PANEL2}), ModuleInstance(),
                  this);
  hScroll_ =
      CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | SBS_HORZ, 0, 0, 10, 10, panel_,
                      reinterpret_cast<HMENU>(INT_PTR{IDC_HSCROLL}), ModuleInstance(), nullptr);
  vScroll_ =
      CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, 10, 10, panel_,
                      reinterpret_cast<HMENU>(INT_PTR{IDC_VSCROLL}), ModuleInstance(), nullptr);
}

// The faces of the label and the button, at the DPI the window is laid out for.
void TVisEditForm::SetFonts() {
  HFONT info = CreateFontA(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                           0, "Arial");
  LOGFONTA face{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
  face.lfHeight = MulDiv(face.lfHeight, dpi_, vistrel::SystemDpi());
  HFONT button = CreateFontIndirectA(&face);
  SendMessageA(infoLbl_, WM_SETFONT, reinterpret_cast<WPARAM>(info), TRUE);
  SendMessageA(unloadButton_, WM_SETFONT, reinterpret_cast<WPARAM>(button), TRUE);
  if (infoFont_ != nullptr) DeleteObject(infoFont_);
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
  infoFont_ = info;
  buttonFont_ = button;
}

void TVisEditForm::Layout() {
  RECT client{};
  GetClientRect(form_, &client);
  const int width = client.right, height = client.bottom;
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  RECT status{};
  GetWindowRect(statusBar_, &status);
  const int statusHeight = status.bottom - status.top;
  const DWORD size = static_cast<DWORD>(SendMessageA(toolBar1_, TB_GETBUTTONSIZE, 0, 0));
  const int barHeight = HIWORD(size);
  // Drawn for 96 dpi. The selection and zoom bars keep their width: their
  // pictures keep their size, and a wider bar would wrap them into two columns.
  auto scaled = [this](int length) { return vistrel::Scaled(length, dpi_); };
  const int panel3 = scaled(190), markBarTop = scaled(kMarkBarTop), topPanel = scaled(kTopPanel);
  const int leftPanel = kLeftPanel;
  const int upperBar = 6 * 26 + 4, lowerBar = 3 * 26 + 4;
  MoveWindow(toolBar1_, scaled(4), scaled(2), std::max(width - panel3 - scaled(4), 50), barHeight,
             TRUE);
  MoveWindow(unloadButton_, width - panel3 + scaled(10), scaled(14), panel3 - scaled(20),
             scaled(34), TRUE);
  MoveWindow(infoLbl_, scaled(30), scaled(41), std::max(width - panel3 - scaled(34), 50),
             scaled(16), TRUE);
  MoveWindow(gauge_, 0, markBarTop - scaled(11), width, scaled(10), TRUE);
  MoveWindow(markBar_, scaled(4), markBarTop, std::max(width - scaled(8), 50),
             topPanel - markBarTop - scaled(2), TRUE);
  const int bottom = height - statusHeight;
  MoveWindow(toolBar_, 1, topPanel, leftPanel - 1, upperBar, TRUE);
  MoveWindow(underToolBar_, 1, std::max(bottom - lowerBar, topPanel + upperBar), leftPanel - 1,
             lowerBar, TRUE);
  MoveWindow(panel_, leftPanel, topPanel, std::max(width - leftPanel, 1),
             std::max(bottom - topPanel, 1), TRUE);
  // The view keeps its scroll positions as far as the new size allows.
  PlaceView(-offset_.x + PanelArea().right / 2.0, -offset_.y + PanelArea().bottom / 2.0);
}

LRESULT TVisEditForm::FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) form_ = window;
  return TellingFailure(window, LRESULT{0}, [&] { return FormMessage(message, wParam, lParam); });
}

LRESULT TVisEditForm::PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) panel_ = window;
  return TellingFailure(window, LRESULT{0}, [&] { return PanelMessage(message, wParam, lParam); });
}

LRESULT TVisEditForm::FormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (panel_ != nullptr) Layout();
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return Notify(reinterpret_cast<NMHDR*>(lParam));
    case WM_MOUSEMOVE:
      RemoveOutline();
      break;
    case WM_CLOSE:
      CloseEditor();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {vistrel::Scaled(460, dpi_),
                                                               vistrel::Scaled(320, dpi_)};
      return 0;
    case WM_DPICHANGED: {
      // Moved onto a monitor of another DPI: new faces, the suggested size, and
      // the children placed again for it (by the WM_SIZE the move sends).
      dpi_ = HIWORD(wParam);
      SetFonts();
      vistrel::TakeSuggestedRect(form_, lParam);
      Layout();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(form_, message, wParam, lParam);
}

void TVisEditForm::Command(int id, int code) {
  if (busy_) return;
  if (id == IDC_UNLOADBUTTON && code == BN_CLICKED) return CloseEditor();
  switch (id) {
    case IDC_GETMAGICWINDOW:
      SetDown(IDC_GETMAGICWINDOW, true);
      return MagicWindowClick();
    case IDC_GETMANUALSELECTION:
      SetDown(IDC_GETMANUALSELECTION, true);
      return ManualSelectionClick();
    case IDC_ZOOMIN:
      return ZoomToolClick(ZoomTool::In);
    case IDC_ZOOMOUT:
      return ZoomToolClick(ZoomTool::Out);
    case IDC_EXACTZOOMBTN:
      return DropDown(IDC_EXACTZOOMBTN);
    case IDC_GETACTIVEWINDOW:
      document_.ToggleActiveWindow(reinterpret_cast<uintptr_t>(engine_.ForegroundWindow),
                                   Down(IDC_MULTISELECT));
      return ImageChanged();
    case IDC_GETFULLSCREEN:
      document_.ToggleAll();
      return ImageChanged();
    case IDC_DISCARDSELECTION:
      document_.UnselectAll();
      return ImageChanged();
    case IDC_NEWCOLORFILL:
      return ApplyFill();
    case IDC_NEWBORDERBTN:
      if (SelectionCheck()) ApplyBorderNow();
      return;
    case IDC_NEWCROPBTN:
      return Crop();
    case IDC_NEWCOLORREDUCEBTN:
      if (SelectionCheck()) ApplyReduction();
      return;
    case IDC_NEWREDACTBTN:
      if (SelectionCheck()) ApplyRedaction();
      return;
    case IDM_EXACTZOOM:
      return ExactZoom();
    case IDM_BORDER_COLOR:
      return ChooseBorderColour();
    default:
      break;
  }
  if (id >= IDM_FILL_WHITE && id <= IDM_FILL_INACTIVE) return ChooseFill(id);
  if (id >= IDM_BORDER_FIRST && id <= IDM_BORDER_LAST) return ChooseBorderWidth(id);
  if (id > IDM_REDUCE_BASE && id <= IDM_REDUCE_BASE + 8) return ChooseReduction(id);
  if (id >= IDM_REDACT_BLACK && id <= IDM_REDACT_MOSAIC) return ChooseRedaction(id);
  if (id >= IDM_MARKWIDTH_FIRST && id <= IDM_MARKWIDTH_LAST) return ChooseMarkWidth(id);
  switch (id) {
    case IDC_UNDO:
      return Undo();
    case IDC_REDO:
      return Redo();
    case IDC_MARKWIDTH:
      return DropDown(IDC_MARKWIDTH);
    case IDC_MARKCOLOUR:
      return ChooseMarkColour();
    case IDC_MARKARROW:
    case IDC_MARKRECTANGLE:
    case IDC_MARKELLIPSE:
    case IDC_MARKTEXT:
    case IDC_MARKHIGHLIGHTER:
    case IDC_MARKSTEP:
      if (markTool_ != id) return ChooseMarkTool(id);
      // A second click lets the tool go: the selection tool in use before.
      LeaveMarkTool();
      return PressTool(selectionTool_ == kWindowSelector ? IDC_GETMAGICWINDOW
                                                         : IDC_GETMANUALSELECTION);
    default:
      break;
  }
  if (id >= IDM_ZOOM_FIRST && id <= IDM_ZOOM_LAST) {
    static const int kPresets[] = {200, 400, 500, 900, 100, 80, 60, 50, 25};
    return ZoomToPercent(kPresets[id - IDM_ZOOM_FIRST]);
  }
}

LRESULT TVisEditForm::Notify(NMHDR* header) {
  switch (header->code) {
    case TTN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
      static std::string shortHint;
      shortHint = HintPart(static_cast<int>(header->idFrom), false);
      info->lpszText = shortHint.data();
      return 0;
    }
    case TBN_HOTITEMCHANGE: {
      auto* hot = reinterpret_cast<NMTBHOTITEM*>(header);
      const std::string text = (hot->dwFlags & HICF_LEAVING) ? "" : HintPart(hot->idNew, true);
      SendMessageA(statusBar_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
      return 0;
    }
    case TBN_DROPDOWN:
      if (!busy_) DropDown(reinterpret_cast<NMTOOLBARA*>(header)->iItem);
      return TBDDRET_DEFAULT;
    default:
      return 0;
  }
}

bool TVisEditForm::Down(int button) const {
  HWND bar = button >= IDC_UNDO ? markBar_ : button >= IDC_ZOOMIN ? underToolBar_ : toolBar_;
  return SendMessageA(bar, TB_ISBUTTONCHECKED, button, 0) != 0;
}

void TVisEditForm::SetDown(int button, bool down) {
  HWND bar = button >= IDC_UNDO ? markBar_ : button >= IDC_ZOOMIN ? underToolBar_ : toolBar_;
  SendMessageA(bar, TB_CHECKBUTTON, button, MAKELPARAM(down ? TRUE : FALSE, 0));
}

void TVisEditForm::PressTool(int button) {
  SetDown(button, true);
  if (button == IDC_ZOOMIN || button == IDC_ZOOMOUT) {
    ZoomToolClick(button == IDC_ZOOMIN ? ZoomTool::In : ZoomTool::Out);
  } else {
    Command(button, BN_CLICKED);
  }
}

void TVisEditForm::ReleaseGroup(bool zoomGroup) {
  SetDown(zoomGroup ? IDC_ZOOMIN : IDC_GETMAGICWINDOW, false);
  SetDown(zoomGroup ? IDC_ZOOMOUT : IDC_GETMANUALSELECTION, false);
  RemoveOutline();
}

void TVisEditForm::ZoomToolClick(ZoomTool tool) {
  const int button = tool == ZoomTool::In ? IDC_ZOOMIN : IDC_ZOOMOUT;
  if (zoomMode_ == tool) {
    ReleaseGroup(true);
    zoomMode_ = ZoomTool::None;
    PressTool(selectionTool_ == kWindowSelector ? IDC_GETMAGICWINDOW : IDC_GETMANUALSELECTION);
    return;
  }
  LeaveMarkTool();
  zoomMode_ = tool;
  SetDown(button == IDC_ZOOMIN ? IDC_ZOOMOUT : IDC_ZOOMIN, false);
  SetDown(button, true);
  ReleaseGroup(false);
  SetImageCursor(tool == ZoomTool::In ? ID_CURSORZOOMIN : ID_CURSORZOOMOUT);
}

void TVisEditForm::MagicWindowClick() {
  LeaveMarkTool();
  zoomMode_ = ZoomTool::None;
  SetDown(IDC_GETMANUALSELECTION, false);
  ReleaseGroup(true);
  SetImageCursor(ID_CURSORMAGIC);
  selectionTool_ = kWindowSelector;
  document_.DropManual();
  for (int id : {IDC_GETACTIVEWINDOW, IDC_GETFULLSCREEN, IDC_MULTISELECT})
    SendMessageA(toolBar_, TB_ENABLEBUTTON, id, TRUE);
  document_.Refresh();
  ImageChanged();
}

void TVisEditForm::ManualSelectionClick() {
  LeaveMarkTool();
  zoomMode_ = ZoomTool::None;
  SetDown(IDC_GETMAGICWINDOW, false);
  SetImageCursor(ID_CURSORCROSS);
  selectionTool_ = kManualSelector;
  ReleaseGroup(true);
  document_.Refresh();
  for (int id : {IDC_GETACTIVEWINDOW, IDC_GETFULLSCREEN, IDC_MULTISELECT})
    SendMessageA(toolBar_, TB_ENABLEBUTTON, id, FALSE);
  ImageChanged();
}

void TVisEditForm::SetImageCursor(int id) {
  imageCursor_ = EditorCursor(id);
  POINT point{};
  GetCursorPos(&point);
  if (WindowFromPoint(point) == panel_) SetCursor(imageCursor_);
}

void TVisEditForm::SetInfo(const std::string& text) { SetWindowTextA(infoLbl_, text.c_str()); }

void TVisEditForm::LoadSettings() {
  const EditorSettings settings = LoadEditorSettings();
  RECT window{};
  GetWindowRect(form_, &window);
  int left = settings.left.value_or(window.left), top = settings.top.value_or(window.top);
  int width = settings.width.value_or(window.right - window.left);
  int height = settings.height.value_or(window.bottom - window.top);
  // A placement from another screen layout must not hide the window.
  const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN),
            screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN),
            screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int minWidth = vistrel::Scaled(460, dpi_), minHeight = vistrel::Scaled(320, dpi_);
  width = std::clamp(width, minWidth, std::max(screenWidth, minWidth));
  height = std::clamp(height, minHeight, std::max(screenHeight, minHeight));
  left = std::clamp(left, screenLeft, std::max(screenLeft + screenWidth - 100, screenLeft));
  top = std::clamp(top, screenTop, std::max(screenTop + screenHeight - 100, screenTop));
  SetWindowPos(form_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  zoomMode_ = ZoomTool::None;
  const int32_t tool = settings.lastTool.value_or(0);
  static const int kTools[] = {IDC_GETMAGICWINDOW, IDC_GETMANUALSELECTION, IDC_ZOOMIN, IDC_ZOOMOUT};
  if (tool >= 0 && tool <= 3) PressTool(kTools[tool]);
}

void TVisEditForm::CaptureLoaded() {
  // The pixels are read when the editor opens, which starts from the capture;
  // most captures never open it, and the old picture's memory goes now.
  document_.image = Image();
  for (Image& region : document_.regions) region = Image();
  document_.lastHoverEntry = 0;
  document_.manualDragging = false;
  document_.marks.clear();
  selectedMark_ = -1;
  editingText_ = false;
  history_.Clear();
  capturedTable_ = *document_.table;
  const SIZE size = engine_.CaptureBitmap.Size();
  view_.Reset(size.cx, size.cy);
  offset_ = {0, 0};
  ImageChanged();
}

// A capture of several monitors opens at the one the pointer was on, as the
// area selector does; a capture of one monitor opens at its top-left corner.
void TVisEditForm::ShowPointerMonitor() {
  const vistrel::Rect& monitor = engine_.PointerMonitor;
  if (vistrel::IsEmpty(monitor) ||
      (monitor.left == 0 && monitor.top == 0 && monitor.right >= document_.image.width &&
       monitor.bottom >= document_.image.height))
    return;
  const RECT panel = PanelArea();
  PlaceView(MonitorInView(panel.right, monitor.left, monitor.right - monitor.left,
                          view_.zoomFactor),
            MonitorInView(panel.bottom, monitor.top, monitor.bottom - monitor.top,
                          view_.zoomFactor));
}

void TVisEditForm::ShowModal(const SizeScale& scale) {
  if (!closed_) return;  // already open: a nested call would hide it twice
  scale_ = scale;
  offset_ = {0, 0};
  LeaveMarkTool();
  LoadSettings();
  // Every opening starts from the capture as it was taken.
  *document_.table = capturedTable_;
  document_.ClearFlags();
  document_.image = ImageFromBitmap(engine_.CaptureBitmap.bitmap.get());
  document_.SaveRegions();
  document_.marks.clear();
  history_.Clear();
  UpdateUndoButtons();
  UpdateStepButton();
  if (view_.imageBounds.right != document_.image.width ||
      view_.imageBounds.bottom != document_.image.height) {
    view_.Reset(document_.image.width, document_.image.height);
  }
  ImageChanged();
  Layout();
  ShowPointerMonitor();

  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) EnableWindow(window, FALSE);
  closed_ = false;
  ShowWindow(form_, SW_SHOW);
  SetForegroundWindow(form_);
  MSG message{};
  while (!closed_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      CloseEditor();
      break;
    }
    if (got == -1) break;
    if (message.message == WM_MOUSEMOVE && message.hwnd != panel_ && IsChild(form_, message.hwnd))
      RemoveOutline();
    if (KeyMessage(message)) continue;
    if (!IsDialogMessageA(form_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (!disabled.empty()) SetForegroundWindow(disabled.front());
}

void TVisEditForm::CloseEditor() {
  if (busy_ || closed_) {
    if (closed_) ShowWindow(form_, SW_HIDE);
    return;
  }
  closed_ = true;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(form_, &placement);
  std::optional<int32_t> tool;
  if (Down(IDC_GETMAGICWINDOW))
    tool = 0;
  else if (Down(IDC_GETMANUALSELECTION))
    tool = 1;
  else if (Down(IDC_ZOOMIN))
    tool = 2;
  else if (Down(IDC_ZOOMOUT))
    tool = 3;
  SaveEditorSettings(placement.rcNormalPosition, tool);
  document_.ClearForClose();
  // The marks become pixels of the picture handed out.
  markDrag_ = MarkDrag::None;
  DrawMarksIntoImage();
  history_.Clear();
  SetInfo("");
  // What Transfer hands out: the image as the user left it, without marks.
  Bitmap result = BitmapFromImage(document_.image);
  if (result) {
    engine_.EditorImage.bitmap = std::move(result);
    engine_.EditorImage.palette = CopyPalette(engine_.CaptureBitmap.palette.get());
  }
  ImageChanged();
  ShowWindow(form_, SW_HIDE);
}

bool TVisEditForm::KeyMessage(MSG& message) {
  // Runs in the modal loop, outside any window procedure: a failure is told
  // or logged here, and the editor stays open.
  return vistrel::Guarded("editor keys", true, [&] {
    return TellingFailure(form_, true, [&] { return KeyCommand(message); });
  });
}

bool TVisEditForm::KeyCommand(MSG& message) {
  if (busy_ || closed_) return false;
  if (message.hwnd != form_ && !IsChild(form_, message.hwnd)) return false;
  if (message.message == WM_SYSCHAR && !editingText_) {
    // Alt and a tool's underlined letter: the tool, as if clicked.
    for (HWND bar : {toolBar1_, markBar_}) {
      UINT id = 0;
      if (!SendMessageA(bar, TB_MAPACCELERATORA, message.wParam, reinterpret_cast<LPARAM>(&id)) ||
          id == 0) {
        continue;
      }
      if (SendMessageA(bar, TB_ISBUTTONENABLED, id, 0)) Command(static_cast<int>(id), BN_CLICKED);
      return true;
    }
    return false;
  }
  if (message.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
    if (message.wParam == 'Z') return Undo(), true;
    if (message.wParam == 'Y') return Redo(), true;
  }
  if (message.message == WM_KEYDOWN || message.message == WM_CHAR) return MarkKey(message);
  return false;
}

void TVisEditForm::PumpMessages() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace vistlib
