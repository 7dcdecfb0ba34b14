#pragma once
// How the chosen printer is described to the user, and the texts of the
// printer set-up dialog's failures.
#include <cstdint>
#include <string>

namespace vistrel::wizard {

// What reading the printer gave: its names, or the error number.
struct PrinterFacts {
  bool read = false;
  std::string device;
  std::string port;
  uint32_t error = 0;     // 0: nothing to say
  bool noPrinter = false; // no printer is installed
};

// "<device> on <port>", "No printer installed", "Printer problem #<n>" or "Unknown".
std::string PrinterDescription(const PrinterFacts& facts);

// "Error # <n> <description>" for a failed printer set-up dialog.
std::string PrinterDialogErrorText(uint32_t error);

}  // namespace vistrel::wizard
