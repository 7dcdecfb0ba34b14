#pragma once
// What the editor works on: the capture's window table, one region picture per
// entry (its pixels without any selection mark) and the image, which shows
// every entry plainly or, when selected, inverted. The selection tools and the
// operations change the regions and the table, then repaint the image from
// them, so a mark can always be taken away without loss.
#include <array>
#include <string>

#include "edit_image.h"
#include "marks.h"
#include "rect.h"
#include "window_table.h"

namespace vistlib {

// How a manual rectangle's size is shown: pixels x multiplier / divisor, unit.
struct SizeScale {
  int divisor = 1;
  int multiplier = 1;
  std::string unit = "Pixel";
};

// The three texts VisEdit receives. Texts that are not decimal integers, or a
// divisor of 0, give pixels (1, 1, "Pixel").
SizeScale ParseSizeScale(const char* divisor, const char* multiplier, const char* unit);

// "320x200 Pixel": the rectangle's signed size in the scale's unit.
std::string ManualSizeText(const vistrel::Rect& rect, const SizeScale& scale);

extern const char kTableFullText[];

struct EditDocument {
  explicit EditDocument(WindowTable& table) : table(&table) {}

  WindowTable* table;
  std::array<Image, kTableSlots> regions;
  Image image;
  // Annotation marks over the image, drawn into it when the editor closes.
  std::vector<Mark> marks;

  int lastHoverEntry = 0;   // the entry a window-selector click toggles
  vistrel::Rect manualRect;  // right and bottom follow the mouse while dragging
  bool manualDragging = false;

  bool HasManualEntry() const { return table->ManualIndex != -1; }

  // Paints every entry's region into the image, inverted where selected,
  // higher indices last.
  void Redraw();
  // After an operation: without a manual entry every flag is cleared; redraw.
  void Refresh();
  // Every entry's region becomes the image's pixels under its rectangle.
  void SaveRegions();
  void ClearFlags();
  bool AnySelected() const;
  // Selects every entry; false when there is none.
  bool SelectAll();

  // The top-most entry whose rectangle (edges included) holds the view point
  // (x, y) at `zoom`; 0 when none.
  int HitTest(double x, double y, double zoom) const;
  // Moves the hover to the entry under the point; true when it changed.
  bool Hover(double x, double y, double zoom);
  void RemoveHover() { table->HoverIndex = -1; }

  // The window selector's click: without multi-selection the outlined entry
  // alone is toggled, the others cleared.
  void SelectorClick(bool multiSelect);
  void ToggleActiveWindow(uintptr_t foreground, bool multiSelect);
  void ToggleAll();
  void UnselectAll();

  // The manual selector. Begin refuses (false) when the table has no free
  // slot for the manual entry.
  bool BeginManual(double x, double y, double zoom);
  void DragManual(double x, double y, double zoom);
  void EndManual();
  // The window selector was chosen: the manual entry goes.
  void DropManual();

  // Closing: no flag, no outline, the image without marks.
  void ClearForClose();
};

}  // namespace vistlib
