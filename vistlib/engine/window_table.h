#pragma once
// The table of windows and controls that were visible at the last capture, and
// the portable builder that makes it from what the window walk read.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor_layout.h"
#include "rect.h"

namespace vistlib {

// Highest index of the window table; every per-entry array has slots 0..63
// and slot 0 never holds a window.
constexpr int MaxWindows = 63;
constexpr int kTableSlots = MaxWindows + 1;
// Longest title text read from a window (the 512-byte buffer less its zero).
constexpr std::size_t kMaxTitleLength = 511;

extern const char kNoInfoName[];   // "No Info"
extern const char kDesktopName[];  // "Desktop"
extern const char kControlName[];  // "Control"

// What the walk reads of one window. Handles are opaque numbers here.
struct WindowFacts {
  uintptr_t handle = 0;
  vistrel::Rect rect;
  std::string title;
  bool visible = false;
  bool minimised = false;
  bool enabled = true;
  // Direct children only, as the system lists them: top-most first.
  std::vector<WindowFacts> children;
};

struct WindowTable {
  std::array<uintptr_t, kTableSlots> WindowHandles{};
  std::array<vistrel::Rect, kTableSlots> WindowRects{};
  // A name at every index 0..63 once a capture ran ("No Info" where no entry is).
  std::vector<std::string> WindowNames;
  std::array<uint8_t, kTableSlots> WindowSelected{};
  std::array<int32_t, kTableSlots> WindowBorderState{};
  int WindowCount = 0;

  // The editor's selection state that belongs to this table: the entry under
  // the pointer (0 for none) and the index of the hand-drawn entry (-1 for
  // none). A new table starts without either.
  int HoverIndex = 0;
  int ManualIndex = -1;

  // Empties every column and puts "No Info" at every index.
  void Reset();
};

struct WindowTableBuild {
  WindowTable table;
  // A qualifying window or control did not fit: the user is told once.
  bool tooMany = false;
};

// Builds the table from the top-level windows listed from the bottom of the Z
// order to the top. Entries come in painting order: each recorded top-level
// window is followed at once by its recorded children, bottom-most first.
// A top-level window is recorded when it is visible, not minimised and of
// positive size (otherwise its children are skipped with it); a child when it
// is visible, not minimised, enabled and of non-zero size. `desktopHandle`
// names the desktop window, which is called "Desktop" if it turns up.
// Rectangles are stored in the capture's pixels: `captureOrigin` is the screen
// point that became the capture's top-left pixel (the virtual screen's corner,
// negative when a monitor lies left of or above the primary one).
WindowTableBuild BuildWindowTable(const std::vector<WindowFacts>& topLevelBottomUp,
                                  uintptr_t desktopHandle, Point captureOrigin = {});

// A window title as the table shows it: at most 511 characters, without
// leading or trailing blanks and control characters.
std::string TrimmedTitle(std::string_view title);

}  // namespace vistlib
