#pragma once
// TVisEditForm, the editor window: created hidden with the engine, shown
// modally by VisEdit. It turns messages into calls on the view model and the
// edit document and paints what they hold.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "edit_document.h"
#include "edit_history.h"
#include "mark_text_win.h"
#include "editor_pixels_win.h"
#include "engine_state_win.h"
#include "operations.h"
#include "view_model.h"

namespace vistlib {

class TVisEditForm {
 public:
  explicit TVisEditForm(EngineState& engine);
  ~TVisEditForm();
  TVisEditForm(const TVisEditForm&) = delete;
  TVisEditForm& operator=(const TVisEditForm&) = delete;

  HWND Handle() const { return form_; }
  // Each capture: the image at zoom 1, sized to the screen.
  void CaptureLoaded();
  // VisEdit: shows the editor and returns when it is closed.
  void ShowModal(const SizeScale& scale);

 private:
  enum SelectionTool { kWindowSelector = 0, kManualSelector = 1 };

  // The form's and the image panel's messages, through the window thunk.
  LRESULT FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT FormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PanelMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // edit_form_win.cpp: the window, its layout, tools and life.
  void CreateControls();
  void Layout();
  void SetFonts();
  void ShowPointerMonitor();
  void LoadSettings();
  void CloseEditor();
  void Command(int id, int code);
  LRESULT Notify(NMHDR* header);
  bool Down(int button) const;
  void SetDown(int button, bool down);
  void PressTool(int button);
  void ZoomToolClick(ZoomTool tool);
  void MagicWindowClick();
  void ManualSelectionClick();
  void ReleaseGroup(bool zoomGroup);
  void SetImageCursor(int id);
  void SetInfo(const std::string& text);
  void PumpMessages();
  // Keys the editor handles before dialog navigation sees them: undo and
  // redo, access keys of the tool bars, the selected mark's keys and text
  // typed into a text mark. True when the key was used.
  bool KeyMessage(MSG& message);
  bool KeyCommand(MSG& message);

  // edit_form_view_win.cpp: the image panel.
  void Paint();
  void MouseDown(int x, int y, bool right, bool ctrl);
  void MouseMove(int x, int y);
  void MouseUp();
  void Scroll(bool horizontal, int request);
  void PlaceView(double wantedX, double wantedY);
  void ZoomAtPoint(int x, int y, double factor);
  void ZoomToPercent(int percent);
  void ExactZoom();
  void RemoveOutline();
  void ImageChanged();
  RECT PanelArea() const;

  // edit_form_operations_win.cpp: menus and the image operations.
  void CreateMenus();
  void DropDown(int button);
  bool SelectionCheck();
  void ChooseFill(int id);
  void ChooseBorderWidth(int id);
  void ChooseBorderColour();
  void ChooseReduction(int id);
  void ChooseRedaction(int id);
  void ApplyFill();
  void ApplyBorderNow();
  void Crop();
  void ApplyReduction();
  void Grayscale();
  void ApplyRedaction();
  void DrawFillGlyph();
  void DrawBorderGlyph();
  // Around every operation: what it changes becomes one undo step.
  void BeginStep(bool pixels);
  void EndStep();
  void Undo();
  void Redo();
  void AfterHistoryStep();
  void UpdateUndoButtons();

  // edit_form_marks_win.cpp: the annotation tool bar and the marks.
  void CreateMarkBar();
  void ChooseMarkTool(int id);
  void LeaveMarkTool();
  bool MarkMouseDown(int x, int y);
  bool MarkMouseMove(int x, int y);
  bool MarkMouseUp();
  bool MarkKey(MSG& message);
  void SelectMark(int index);
  void EndTextEditing();
  void ChooseMarkWidth(int id);
  void ChooseMarkColour();
  void MarksChanged(const vistrel::Rect& changed);
  void ComposeMarks();
  void PaintMarkHandles(HDC dc);
  void UpdateStepButton();
  void DrawMarksIntoImage();
  MarkPoint PicturePoint(int x, int y) const;

  EngineState& engine_;
  EditDocument document_;
  ViewModel view_;
  DisplayCopy display_;
  SizeScale scale_;
  WindowTable capturedTable_;  // the table as the last capture made it

  HWND form_ = nullptr;
  HWND toolBar1_ = nullptr, unloadButton_ = nullptr, toolBar_ = nullptr, underToolBar_ = nullptr;
  HWND infoLbl_ = nullptr, gauge_ = nullptr, statusBar_ = nullptr, panel_ = nullptr;
  HWND hScroll_ = nullptr, vScroll_ = nullptr, markBar_ = nullptr;
  HFONT infoFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  int dpi_ = 96;  // what the window is laid out for
  HIMAGELIST images_ = nullptr;
  HMENU fillMenu_ = nullptr, borderMenu_ = nullptr, borderWidthMenu_ = nullptr;
  HMENU reductionMenu_ = nullptr, redactMenu_ = nullptr, popUps_ = nullptr;

  ZoomTool zoomMode_ = ZoomTool::None;
  int selectionTool_ = kWindowSelector;
  HCURSOR imageCursor_ = nullptr;
  POINT offset_{};  // where the image's origin sits in the panel
  bool closed_ = true;
  bool busy_ = false;  // an operation lets messages run: other input waits
  bool dragMoveBusy_ = false;

  uint32_t fillColour_ = 0x80000001;  // system colour 1, the desktop
  int fillItem_ = 0;
  int borderWidth_ = 3;
  uint32_t borderColour_ = 0x0000FF;
  Reduction reduction_ = Reduction::Gray;
  RedactStyle redactStyle_ = RedactStyle::BlackBox;

  EditHistory history_;
  MarkTextWin markText_;
  Image composite_;  // the image with the marks drawn, what the panel shows
  HMENU markWidthMenu_ = nullptr;
  int markTool_ = 0;  // the annotation tool button down, 0 for none
  int selectedMark_ = -1;
  bool editingText_ = false;
  enum class MarkDrag { None, Draw, Move, HandleA, HandleB } markDrag_ = MarkDrag::None;
  MarkPoint dragLast_;
  uint32_t markColour_ = 0xFF0000;  // a pixel
  int markWidth_ = 3;
};

}  // namespace vistlib
