#pragma once
// TVisEditForm, the editor window: created hidden with the engine, shown
// modally by VisEdit. It turns messages into calls on the view model and the
// edit document and paints what they hold.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "edit_document.h"
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

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT FormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PanelMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // edit_form_win.cpp: the window, its layout, tools and life.
  void CreateControls();
  void Layout();
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
  void ApplyFill();
  void ApplyBorderNow();
  void Crop();
  void ApplyReduction();
  void Grayscale();
  void DrawFillGlyph();
  void DrawBorderGlyph();

  EngineState& engine_;
  EditDocument document_;
  ViewModel view_;
  DisplayCopy display_;
  SizeScale scale_;
  WindowTable capturedTable_;  // the table as the last capture made it

  HWND form_ = nullptr;
  HWND toolBar1_ = nullptr, unloadButton_ = nullptr, toolBar_ = nullptr, underToolBar_ = nullptr;
  HWND infoLbl_ = nullptr, gauge_ = nullptr, statusBar_ = nullptr, panel_ = nullptr;
  HWND hScroll_ = nullptr, vScroll_ = nullptr;
  HFONT infoFont_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HMENU fillMenu_ = nullptr, borderMenu_ = nullptr, borderWidthMenu_ = nullptr;
  HMENU reductionMenu_ = nullptr, popUps_ = nullptr;

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
};

}  // namespace vistlib
