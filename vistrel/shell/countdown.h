#pragma once
// What a delayed capture shows while it counts down.
#include <cstdint>
#include <string>

namespace vistrel {

// Whole seconds left, rounded up: "3" until the last millisecond of the third second.
int SecondsLeft(int64_t remainingMs);

// The tray icon's tip while counting down (fits the 64-byte tip field).
std::string CountdownTip(int secondsLeft);

}  // namespace vistrel
