#include "print_run.h"

#include "shell_state.h"

namespace vistrel::print {

namespace {

// The division by zero of the dump's quotient lines.
const PrintFailure kDivisionByZero{11, "Division by zero"};

// Runs the copies; the first failure of the printer or the placement ends it.
class Run {
 public:
  Run(const PrintRequest& request, PrintPorts& ports, const CopyCount& copies)
      : request_(request), ports_(ports), copies_(copies) {}

  std::optional<PrintFailure> Copies() {
    for (int copy = 1; copy <= copies_.count; ++copy) {
      if (auto failure = ports_.PrintSpace()) return failure;
      if (request_.debugMode) Dump(DumpBlock1(ports_.Facts(), previousSa_, previousSb_), true);
      const Extent page = ports_.PrintableArea();
      PrintedSize size = SizePicture(request_.stretch, request_.picture, page);
      FitToPage(size, page, verhaeltnis_);
      if (request_.debugMode) {
        const Block2 block = DumpBlock2(ports_.Facts(), size.sa, size.sb, verhaeltnis_);
        Dump(block.text, false);
        if (!block.complete) return kDivisionByZero;
      }
      if (auto failure = ports_.Draw(size)) return failure;
      previousSa_ = size.sa;
      previousSb_ = size.sb;
      if (request_.debugMode && Dump(DumpBlock3(), false)) Note(ports_.OpenDumpInViewer());
      if (NewPageAfter(copy, copies_))
        if (auto failure = ports_.NewPage()) return failure;
    }
    return ports_.EndDoc();
  }

  // A dump or viewer problem, kept for after the print.
  const std::optional<PrintFailure>& DiagnosticProblem() const { return diagnostic_; }

 private:
  // Writes to debug.txt unless this copy's dump already failed.
  bool Dump(const std::string& text, bool create) {
    if (create) dumpFailed_ = false;
    if (dumpFailed_) return false;
    auto failure = ports_.WriteDump(text, create);
    dumpFailed_ = failure.has_value();
    Note(std::move(failure));
    return !dumpFailed_;
  }
  void Note(std::optional<PrintFailure> failure) {
    if (failure && !diagnostic_) diagnostic_ = std::move(failure);
  }

  const PrintRequest& request_;
  PrintPorts& ports_;
  const CopyCount copies_;
  double verhaeltnis_ = 0;
  std::optional<double> previousSa_, previousSb_;
  bool dumpFailed_ = false;
  std::optional<PrintFailure> diagnostic_;
};

}  // namespace

PrintFailure PrinterFailure() {
  return {kPrinterErrorCode, "Possibly incompatible printer driver."};
}

PrintFailure NoPrinterFailure() {
  return {484,
          "Problem getting printer information from the system. Make sure the printer is set "
          "up correctly."};
}

std::string FailureText(const PrintFailure& failure) {
  return "Error occured: " + failure.description;
}

std::string FailureCaption(const PrintFailure& failure) {
  return "Err: " + std::to_string(failure.code);
}

bool PrintRun(const PrintRequest& request, PrintPorts& ports) {
  ports.ShowHourglass();
  const std::optional<CopyCount> copies = ReadCopyCount(request.copiesText);
  if (!copies) {
    ports.RestorePointer();
    ports.ShowMessage(CopyCountMessage(request.copiesText), kAppTitle, MessageIcon::Stop);
    return false;
  }
  if (request.pictureEmpty) {
    ports.RestorePointer();
    ports.ShowMessage(kEmptyPrintText, kAppTitle, MessageIcon::Exclamation);
    return false;
  }
  Run run(request, ports, *copies);
  const std::optional<PrintFailure> failure = run.Copies();
  if (failure) ports.AbortDoc();  // no half-printed job stays in the queue
  ports.RestorePointer();
  const std::optional<PrintFailure>& shown = failure ? failure : run.DiagnosticProblem();
  if (shown) ports.ShowMessage(FailureText(*shown), FailureCaption(*shown), MessageIcon::Exclamation);
  return !failure;
}

}  // namespace vistrel::print
