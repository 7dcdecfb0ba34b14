#include "countdown.h"

namespace vistrel {

int SecondsLeft(int64_t remainingMs) {
  if (remainingMs <= 0) return 0;
  return static_cast<int>((remainingMs + 999) / 1000);
}

std::string CountdownTip(int secondsLeft) {
  return "Vistrel: capture in " + std::to_string(secondsLeft) +
         (secondsLeft == 1 ? " second" : " seconds") + " (Esc cancels)";
}

}  // namespace vistrel
