#include "window_table.h"

#include <algorithm>

namespace vistlib {

const char kNoInfoName[] = "No Info";
const char kDesktopName[] = "Desktop";
const char kControlName[] = "Control";

void WindowTable::Reset() {
  WindowHandles.fill(0);
  WindowRects.fill(vistrel::Rect{});
  WindowNames.assign(kTableSlots, kNoInfoName);
  WindowSelected.fill(0);
  WindowBorderState.fill(0);
  WindowCount = 0;
  HoverIndex = 0;
  ManualIndex = -1;
}

std::string TrimmedTitle(std::string_view title) {
  title = title.substr(0, std::min(title.size(), kMaxTitleLength));
  // Blanks and control characters are everything up to the space; bytes of
  // the upper half are letters of the code page and stay.
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0;
  while (first < title.size() && isBlank(title[first])) ++first;
  std::size_t last = title.size();
  while (last > first && isBlank(title[last - 1])) --last;
  return std::string(title.substr(first, last - first));
}

namespace {

bool TopLevelQualifies(const WindowFacts& w) {
  return w.visible && !w.minimised && w.rect.Width() > 0 && w.rect.Height() > 0;
}

bool ChildQualifies(const WindowFacts& c) {
  return c.visible && !c.minimised && c.enabled && c.rect.Width() != 0 && c.rect.Height() != 0;
}

class Builder {
 public:
  Builder(uintptr_t desktop, Point origin) : desktop_(desktop), origin_(origin) {
    result_.table.Reset();
  }

  void AddTopLevel(const WindowFacts& window) {
    if (!TopLevelQualifies(window)) return;
    if (!Room()) return;
    std::string name = window.handle == desktop_ ? kDesktopName : TrimmedTitle(window.title);
    Put(window, std::move(name));

    // The system lists children top-most first; the table wants them in
    // painting order, so the recorded ones are stored reversed. When the
    // table fills up, the top-most ones (found first) are the ones kept.
    std::vector<const WindowFacts*> recorded;
    for (const WindowFacts& child : window.children) {
      if (!ChildQualifies(child)) continue;
      if (!Room()) break;
      recorded.push_back(&child);
      ++reserved_;
    }
    reserved_ = 0;
    for (auto it = recorded.rbegin(); it != recorded.rend(); ++it) {
      std::string name = TrimmedTitle((*it)->title);
      Put(**it, name.empty() ? kControlName : std::move(name));
    }
  }

  WindowTableBuild Take() { return std::move(result_); }

 private:
  // False (and the overflow noted) when a qualifying entry finds no index.
  bool Room() {
    if (result_.table.WindowCount + reserved_ < MaxWindows) return true;
    result_.tooMany = true;
    return false;
  }

  void Put(const WindowFacts& window, std::string name) {
    WindowTable& t = result_.table;
    int index = ++t.WindowCount;
    t.WindowHandles[index] = window.handle;
    t.WindowRects[index] = Offset(window.rect, -origin_.x, -origin_.y);
    t.WindowNames[index] = std::move(name);
    t.WindowSelected[index] = 0;
    t.WindowBorderState[index] = 0;
  }

  uintptr_t desktop_;
  Point origin_;
  int reserved_ = 0;
  WindowTableBuild result_;
};

}  // namespace

WindowTableBuild BuildWindowTable(const std::vector<WindowFacts>& topLevelBottomUp,
                                  uintptr_t desktopHandle, Point captureOrigin) {
  Builder builder(desktopHandle, captureOrigin);
  for (const WindowFacts& window : topLevelBottomUp) builder.AddTopLevel(window);
  return builder.Take();
}

}  // namespace vistlib
