#pragma once
// The hourglass around work the user waits for.
#include <windows.h>

namespace vistrel {

// Remembers the pointer and shows the hourglass; puts the pointer back when
// destroyed or on Restore.
class Hourglass {
 public:
  Hourglass() = default;
  ~Hourglass() { Restore(); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;

  void Show() {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (!shown_) {
      previous_ = previous;
      ++shownCount_;
    }
    shown_ = true;
  }
  void Restore() {
    if (!shown_) return;
    SetCursor(previous_);
    shown_ = false;
    --shownCount_;
  }
  // True while some hourglass is shown: windows keep it when the pointer moves
  // over them while pending events run (WM_SETCURSOR would put the arrow back).
  static bool AnyShown() { return shownCount_ > 0; }

 private:
  HCURSOR previous_ = nullptr;
  bool shown_ = false;
  static inline int shownCount_ = 0;
};

}  // namespace vistrel
