#pragma once
// The print run: one synchronous pass from the hourglass to the end of the
// document, over the printer and the rest of the outside world as ports.
#include <optional>
#include <string>

#include "debug_dump.h"
#include "print_layout.h"

namespace vistrel::print {

// A failure while printing: its error code and description.
struct PrintFailure {
  int code = 0;
  std::string description;
};

// A failure reported by the printer or its driver.
inline constexpr int kPrinterErrorCode = 482;
PrintFailure PrinterFailure();
// No printer could be found or opened.
PrintFailure NoPrinterFailure();

inline constexpr char kEmptyPrintText[] =
    "There is no picture to print: the selected area is empty, or the effects could not be "
    "applied to it. Nothing was printed. Choose another area, change the effects or take a new "
    "capture.";

enum class MessageIcon { Stop, Exclamation };

class PrintPorts {
 public:
  virtual ~PrintPorts() = default;
  virtual void ShowHourglass() = 0;  // remembers the pointer first
  virtual void RestorePointer() = 0;
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

  // The printer. The first PrintSpace starts the document and its first page.
  virtual std::optional<PrintFailure> PrintSpace() = 0;
  virtual Extent PrintableArea() = 0;
  virtual std::optional<PrintFailure> Draw(const PrintedSize& size) = 0;
  virtual std::optional<PrintFailure> NewPage() = 0;
  virtual std::optional<PrintFailure> EndDoc() = 0;
  // Cancels a started document (nothing when none is open).
  virtual void AbortDoc() = 0;

  // Diagnostic mode: the facts of the dump, debug.txt written (emptied first
  // when `create`), and opened in the text viewer.
  virtual DumpFacts Facts() = 0;
  virtual std::optional<PrintFailure> WriteDump(const std::string& text, bool create) = 0;
  virtual std::optional<PrintFailure> OpenDumpInViewer() = 0;
};

struct PrintRequest {
  std::string copiesText;  // the `Copies` box as it stands
  bool stretch = false;    // `StretchPrint` ticked
  Extent picture;          // FxPic in twips
  bool pictureEmpty = false;
  bool debugMode = false;
};

// "Error occured: <description>" with the caption "Err: <code>".
std::string FailureText(const PrintFailure& failure);
std::string FailureCaption(const PrintFailure& failure);

// Prints the picture in the requested copies. A failure of the printer or the
// placement stops the run, cancels the started document and is reported; a
// dump that cannot be written or shown does not stop the print and is
// reported once the document is ended. Returns true when the document was
// handed to the printer.
bool PrintRun(const PrintRequest& request, PrintPorts& ports);

}  // namespace vistrel::print
