#include "window_walk_win.h"

#include <unordered_set>

namespace vistlib {
namespace {

// Windows come and go while the walk runs; a sibling chain that loops back
// on itself must not keep the walk going for ever.
constexpr std::size_t kMaxWalk = 100000;

WindowFacts FactsOf(HWND window) {
  WindowFacts facts;
  facts.handle = reinterpret_cast<uintptr_t>(window);
  RECT rect{};
  if (GetWindowRect(window, &rect)) {
    facts.rect = vistrel::Rect{rect.left, rect.top, rect.right, rect.bottom};
  }
  char title[kMaxTitleLength + 1] = "";
  int length = GetWindowTextA(window, title, sizeof title);
  facts.title.assign(title, length > 0 ? static_cast<std::size_t>(length) : 0);
  facts.visible = IsWindowVisible(window) != FALSE;
  facts.minimised = IsIconic(window) != FALSE;
  facts.enabled = IsWindowEnabled(window) != FALSE;
  return facts;
}

}  // namespace

std::vector<WindowFacts> WalkTopLevelWindows(HWND start) {
  std::vector<WindowFacts> windows;
  std::unordered_set<HWND> seen;
  for (HWND window = GetWindow(start, GW_HWNDLAST); window != nullptr && seen.size() < kMaxWalk;
       window = GetWindow(window, GW_HWNDPREV)) {
    if (!seen.insert(window).second) break;
    WindowFacts facts = FactsOf(window);
    // Children only matter under a window the table can record.
    if (facts.visible && !facts.minimised) {
      std::unordered_set<HWND> seenChildren;
      for (HWND child = GetWindow(window, GW_CHILD);
           child != nullptr && seenChildren.size() < kMaxWalk;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (!seenChildren.insert(child).second) break;
        facts.children.push_back(FactsOf(child));
      }
    }
    windows.push_back(std::move(facts));
  }
  return windows;
}

}  // namespace vistlib
