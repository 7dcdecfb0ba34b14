#pragma once
// What the tray icon's mouse events and vistlib's capture command lead to.
#include <cstdint>

namespace vistrel {

enum class TrayAction { None, Capture, PopUpMenu };

// The icon's mouse event (a window message number) to the shell's action:
// a double click captures, releasing the right button opens the menu, the
// rest (a single press included) does nothing.
TrayAction TrayEventAction(int event);

// The x coordinate, in pixels, of a mouse-move message's position parameter
// (the low 16 bits, signed).
int MouseX(int64_t positionParam);

// Whether a mouse move on the main window is vistlib's capture command.
bool IsCaptureCommand(int64_t positionParam);

// Keeps a handler from running again while one run is still in progress (the
// pop-up menu and the capture let other messages through).
class ReentrancyFlag {
 public:
  class Hold {
   public:
    explicit Hold(ReentrancyFlag& flag) : flag_(flag), acquired_(!flag.busy_) {
      if (acquired_) flag_.busy_ = true;
    }
    ~Hold() {
      if (acquired_) flag_.busy_ = false;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    explicit operator bool() const { return acquired_; }

   private:
    ReentrancyFlag& flag_;
    bool acquired_;
  };
  bool Busy() const { return busy_; }

 private:
  bool busy_ = false;
};

}  // namespace vistrel
