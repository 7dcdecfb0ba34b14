#include "edit_document.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "view_model.h"

namespace vistlib {

const char kTableFullText[] =
    "The screenshot already holds 63 windows: there is no room for a manual selection.";

namespace {

bool ParseInt(const char* text, int& value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  if (*text == '\0') return false;
  const long long parsed = std::strtoll(text, &end, 10);
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

int Scaled(double zoomed, double zoom) { return RoundEven(zoomed / zoom); }

}  // namespace

SizeScale ParseSizeScale(const char* divisor, const char* multiplier, const char* unit) {
  SizeScale scale;
  if (!ParseInt(divisor, scale.divisor) || !ParseInt(multiplier, scale.multiplier) ||
      scale.divisor == 0) {
    return SizeScale{};
  }
  scale.unit = unit != nullptr ? unit : "";
  return scale;
}

std::string ManualSizeText(const vistrel::Rect& rect, const SizeScale& scale) {
  const float s = static_cast<float>(scale.multiplier) / static_cast<float>(scale.divisor);
  const int w = RoundEven(rect.Width() * static_cast<double>(s));
  const int h = RoundEven(rect.Height() * static_cast<double>(s));
  return std::to_string(w) + "x" + std::to_string(h) + " " + scale.unit;
}

void EditDocument::Redraw() {
  for (int i = 1; i <= table->WindowCount; ++i)
    StretchInto(image, table->WindowRects[i], regions[i], table->WindowSelected[i] != 0);
}

void EditDocument::Refresh() {
  if (!HasManualEntry()) ClearFlags();
  Redraw();
}

void EditDocument::SaveRegions() {
  for (int i = table->WindowCount; i >= 1; --i) regions[i] = CopyOut(image, table->WindowRects[i]);
}

void EditDocument::ClearFlags() { table->WindowSelected.fill(0); }

bool EditDocument::AnySelected() const {
  for (int i = 1; i <= table->WindowCount; ++i)
    if (table->WindowSelected[i]) return true;
  return false;
}

bool EditDocument::SelectAll() {
  for (int i = 1; i <= table->WindowCount; ++i) table->WindowSelected[i] = 1;
  return table->WindowCount > 0;
}

int EditDocument::HitTest(double x, double y, double zoom) const {
  for (int i = table->WindowCount; i >= 1; --i) {
    const vistrel::Rect& r = table->WindowRects[i];
    if (r.left * zoom <= x && x <= r.right * zoom && r.top * zoom <= y && y <= r.bottom * zoom)
      return i;
  }
  return 0;
}

bool EditDocument::Hover(double x, double y, double zoom) {
  const int hit = HitTest(x, y, zoom);
  if (hit == 0 || hit == table->HoverIndex) return false;
  table->HoverIndex = hit;
  lastHoverEntry = hit;
  return true;
}

void EditDocument::SelectorClick(bool multiSelect) {
  if (!multiSelect) {
    for (int i = 0; i < kTableSlots; ++i)
      if (i != lastHoverEntry) table->WindowSelected[i] = 0;
  }
  table->WindowSelected[lastHoverEntry] ^= 1;
  Redraw();
}

void EditDocument::ToggleActiveWindow(uintptr_t foreground, bool multiSelect) {
  for (int i = 1; i <= table->WindowCount; ++i) {
    const bool active = table->WindowHandles[i] == foreground;
    if (!multiSelect && !active) table->WindowSelected[i] = 0;
    if (active) table->WindowSelected[i] ^= 1;
  }
  Redraw();
}

void EditDocument::ToggleAll() {
  for (int i = 1; i <= table->WindowCount; ++i) table->WindowSelected[i] ^= 1;
  Redraw();
}

void EditDocument::UnselectAll() {
  ClearFlags();
  Redraw();
}

bool EditDocument::BeginManual(double x, double y, double zoom) {
  if (!HasManualEntry() && table->WindowCount >= MaxWindows) return false;
  manualDragging = true;
  const int px = Scaled(x, zoom), py = Scaled(y, zoom);
  manualRect = {px, py, px, py};
  if (!HasManualEntry()) {
    table->ManualIndex = ++table->WindowCount;
    table->WindowRects[table->ManualIndex] = {};
    table->WindowHandles[table->ManualIndex] = 0;
    table->WindowBorderState[table->ManualIndex] = 0;
    regions[table->ManualIndex] = Image();
  }
  ClearFlags();
  Redraw();
  SaveRegions();
  table->WindowRects[table->ManualIndex] = manualRect;
  Refresh();
  table->WindowSelected[table->ManualIndex] = 1;
  return true;
}

void EditDocument::DragManual(double x, double y, double zoom) {
  if (!manualDragging) return;
  manualRect.right = Scaled(x, zoom);
  manualRect.bottom = Scaled(y, zoom);
}

void EditDocument::EndManual() {
  if (!manualDragging) return;
  manualDragging = false;
  // Kept in normal form, so the crop's bounding box holds; the pixels saved
  // and shown are the same as for the rectangle as dragged.
  manualRect = Normalised(manualRect);
  table->WindowRects[table->ManualIndex] = manualRect;
  table->WindowBorderState[table->ManualIndex] = 0;
  table->WindowSelected[table->ManualIndex] = 1;
  SaveRegions();
  Redraw();
}

void EditDocument::DropManual() {
  manualDragging = false;
  if (!HasManualEntry()) return;
  ClearFlags();
  Redraw();
  --table->WindowCount;
  SaveRegions();
  table->ManualIndex = -1;
}

void EditDocument::ClearForClose() {
  manualDragging = false;
  ClearFlags();
  RemoveHover();
  Redraw();
}

}  // namespace vistlib
