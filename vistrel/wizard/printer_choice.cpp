#include "printer_choice.h"

namespace vistrel::wizard {

std::string PrinterDescription(const PrinterFacts& facts) {
  if (facts.noPrinter) return "No printer installed";
  if (facts.error != 0) return "Printer problem #" + std::to_string(facts.error);
  if (!facts.read || facts.device.empty()) return "Unknown";
  return facts.device + " on " + facts.port;
}

std::string PrinterDialogErrorText(uint32_t error) {
  // The common dialog's extended error numbers, in words.
  const char* description = "Printer dialog failed";
  switch (error) {
    case 0x0001: description = "The dialog structure is invalid"; break;
    case 0x0002: description = "Dialog initialization failed"; break;
    case 0x0003: description = "No dialog template"; break;
    case 0x0006: description = "Cannot load dialog resource"; break;
    case 0x0009: description = "Out of memory"; break;
    case 0x1001: description = "Printer setup failed"; break;
    case 0x1002: description = "Cannot parse printer information"; break;
    case 0x1003: description = "Cannot retrieve printer information"; break;
    case 0x1005: description = "Printer driver initialization failed"; break;
    case 0x1006: description = "Cannot create printer information context"; break;
    case 0x1007: description = "Printer device mode is invalid"; break;
    case 0x1008: description = "No default printer"; break;
    case 0x1009: description = "Printer not found"; break;
    case 0x100A: description = "Printer settings do not match"; break;
    default: break;
  }
  return "Error # " + std::to_string(error) + " " + description;
}

}  // namespace vistrel::wizard
