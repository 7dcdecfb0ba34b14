#include "debug_dump.h"

#include "number_text.h"

namespace vistrel::print {

namespace {

class Lines {
 public:
  explicit Lines(char separator) : separator_(separator) {}
  Lines& Add(std::string_view label, std::optional<double> value) {
    text_ += label;
    if (value) text_ += GeneralDecimalText(*value, separator_);
    text_ += "\r\n";
    return *this;
  }
  // Handles and codes: whole numbers of any size.
  Lines& AddWhole(std::string_view label, uint64_t value) {
    text_ += label;
    text_ += std::to_string(value);
    text_ += "\r\n";
    return *this;
  }
  std::string Take() { return std::move(text_); }

 private:
  char separator_;
  std::string text_;
};

}  // namespace

bool IsDebugMode(std::string_view arguments) {
  std::string lower(arguments);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower == "debug";
}

std::string DumpBlock1(const DumpFacts& f, std::optional<double> previousSa,
                       std::optional<double> previousSb) {
  Lines lines(f.decimalSeparator);
  lines.Add("[Printer Data]", std::nullopt)
      .Add("Shape_Width: ", f.shape.width)
      .Add("Shape_Height: ", f.shape.height)
      .Add("Printer.TwipsPerPixelX: ", f.printerTwipsPerPixelX)
      .Add("Printer.TwipsPerPixelY: ", f.printerTwipsPerPixelY)
      .Add("sa: ", previousSa)
      .Add("sb: ", previousSb);
  return lines.Take();
}

Block2 DumpBlock2(const DumpFacts& f, double sa, double sb, double verhaeltnis) {
  Lines lines(f.decimalSeparator);
  // The fit ratio's label in the program's ANSI code page (a-umlaut is 0xE4).
  lines.Add("sa: ", sa)
      .Add("sb: ", sb)
      .Add("verh\xE4ltnis: ", verhaeltnis == 0 ? std::nullopt : std::optional<double>(verhaeltnis))
      .Add("Shape_Left: ", f.shape.left)
      .Add("Shape_Top: ", f.shape.top)
      .Add("Shape_Width: ", f.shape.width)
      .Add("Shape_Height: ", f.shape.height)
      .Add("STPPX: ", f.shape.stppx)
      .Add("STPPY: ", f.shape.stppy)
      .Add("Screen.TwipsPerPixelX: ", f.screenTwipsPerPixelX)
      .Add("Screen.TwipsPerPixelY: ", f.screenTwipsPerPixelY)
      .Add("Printer.ScaleHeight: ", f.scaleHeight)
      .Add("Printer.ScaleWidth: ", f.scaleWidth)
      .AddWhole("Printer.hDC: ", f.printerHdc)
      .Add("sa: ", sa)
      .Add("sb: ", sb)
      .AddWhole("Wizard.FxPic.hDC: ", f.pictureHdc);
  if (f.shape.stppx == 0 || f.shape.stppy == 0) return {lines.Take(), false};
  lines.Add("Shape_Left / STPPX: ", f.shape.left / f.shape.stppx)
      .Add("Shape_Top / STPPY: ", f.shape.top / f.shape.stppy)
      .Add("(Shape_Width) / STPPX: ", f.shape.width / f.shape.stppx)
      .Add("(Shape_Height) / STPPY: ", f.shape.height / f.shape.stppy)
      .AddWhole("ConStr: ", 13369376);
  return {lines.Take(), true};
}

std::string DumpBlock3() { return "X: \r\n"; }

}  // namespace vistrel::print
