#include "print_run.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vistrel::print {
namespace {

// Records what the run asks of the printer; a failure can be planted at a step.
class FakePorts : public PrintPorts {
 public:
  std::vector<std::string> calls;
  std::string dump;
  std::vector<std::string> messages;
  std::string failAt;  // e.g. "Draw2": the second Draw fails
  bool dumpUnwritable = false;
  int viewerOpened = 0;
  SelectorShape shape{150, 300, 4500, 3000, 15, 15};

  void ShowHourglass() override { calls.push_back("Hourglass"); }
  void RestorePointer() override { calls.push_back("Restore"); }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
    messages.push_back(caption + "|" + text);
  }
  std::optional<PrintFailure> PrintSpace() override { return Step("PrintSpace"); }
  Extent PrintableArea() override { return {11000, 15000}; }
  std::optional<PrintFailure> Draw(const PrintedSize& size) override {
    drawn.push_back(size);
    return Step("Draw");
  }
  std::optional<PrintFailure> NewPage() override { return Step("NewPage"); }
  std::optional<PrintFailure> EndDoc() override { return Step("EndDoc"); }
  void AbortDoc() override { calls.push_back("AbortDoc"); }
  DumpFacts Facts() override {
    DumpFacts facts;
    facts.shape = shape;
    facts.printerTwipsPerPixelX = facts.printerTwipsPerPixelY = 4.8;
    facts.screenTwipsPerPixelX = facts.screenTwipsPerPixelY = 15;
    facts.scaleWidth = 11000;
    facts.scaleHeight = 15000;
    facts.printerHdc = 123;
    facts.pictureHdc = 456;
    facts.decimalSeparator = ',';
    return facts;
  }
  std::optional<PrintFailure> WriteDump(const std::string& text, bool create) override {
    if (dumpUnwritable) return PrintFailure{75, "Path/File access error"};
    if (create) dump.clear();
    dump += text;
    return std::nullopt;
  }
  std::optional<PrintFailure> OpenDumpInViewer() override {
    ++viewerOpened;
    return std::nullopt;
  }
  std::vector<PrintedSize> drawn;

 private:
  std::optional<PrintFailure> Step(const std::string& name) {
    const int n = ++counts_[name];
    calls.push_back(name);
    if (failAt == name + std::to_string(n)) return PrinterFailure();
    return std::nullopt;
  }
  std::map<std::string, int> counts_;
};

PrintRequest Request(const char* copies, bool debug = false) {
  PrintRequest request;
  request.copiesText = copies;
  request.picture = {4500, 3000};
  request.debugMode = debug;
  return request;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

TEST(PrintRun, ThreeCopiesAreThreePagesAndOneEndOfDocument) {
  FakePorts ports;
  EXPECT_TRUE(PrintRun(Request("3"), ports));
  const std::vector<std::string> expected = {
      "Hourglass", "PrintSpace", "Draw", "NewPage", "PrintSpace", "Draw", "NewPage",
      "PrintSpace", "Draw", "EndDoc", "Restore"};
  EXPECT_EQ(ports.calls, expected);
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_EQ(ports.drawn[0].sa, 4500);
}

TEST(PrintRun, RefusedCountsAndAnEmptyPictureReachNoPrinter) {
  for (const char* copies : {"0", "", "abc", "-1", "70000", "1000"}) {
    FakePorts ports;
    EXPECT_FALSE(PrintRun(Request(copies), ports));
    EXPECT_EQ(ports.calls, (std::vector<std::string>{"Hourglass", "Restore"})) << copies;
    ASSERT_EQ(ports.messages.size(), 1u);
    EXPECT_EQ(ports.messages[0], std::string("Tarnwick Vistrel|Can't print ") + copies +
                                     " copies. Enter a correct value in \"Copy\"");
  }
  FakePorts ports;
  PrintRequest empty = Request("1");
  empty.pictureEmpty = true;
  EXPECT_FALSE(PrintRun(empty, ports));
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"Hourglass", "Restore"}));
  EXPECT_EQ(ports.messages[0], std::string("Tarnwick Vistrel|") + kEmptyPrintText);
}

TEST(PrintRun, AFailureMidRunAbortsTheDocumentAndSaysSo) {
  for (const char* step : {"PrintSpace1", "Draw2", "NewPage1", "EndDoc1"}) {
    FakePorts ports;
    ports.failAt = step;
    EXPECT_FALSE(PrintRun(Request("2"), ports));
    EXPECT_EQ(ports.calls.end()[-2], "AbortDoc") << step;
    EXPECT_EQ(ports.calls.back(), "Restore");
    EXPECT_EQ(ports.messages,
              std::vector<std::string>{"Err: 482|Error occured: Possibly incompatible printer driver."});
  }
}

TEST(PrintRun, DebugModeDumpsThirtyLinesOfTheLastCopyAndOpensThemPerCopy) {
  FakePorts ports;
  EXPECT_TRUE(PrintRun(Request("2", true), ports));
  EXPECT_EQ(ports.viewerOpened, 2);
  const auto lines = Lines(ports.dump);
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], "[Printer Data]");
  EXPECT_EQ(lines[3], "Printer.TwipsPerPixelX: 4,8");
  EXPECT_EQ(lines[5], "sa: 4500");  // the first copy's width
  EXPECT_EQ(lines[9], "verh\xE4ltnis: ");  // unset: the label alone
  EXPECT_EQ(lines[20], "Printer.hDC: 123");
  EXPECT_EQ(lines[24], "Shape_Left / STPPX: 10");
  EXPECT_EQ(lines[28], "ConStr: 13369376");
  EXPECT_EQ(lines[29], "X: ");
  // The first copy's block 1 has no earlier size.
  const std::string firstCopy = DumpBlock1(ports.Facts(), std::nullopt, std::nullopt);
  EXPECT_EQ(Lines(firstCopy)[5], "sa: ");
}

TEST(PrintRun, NoSelectionYetInDebugModeTakesTheErrorPath) {
  FakePorts ports;
  ports.shape = {};
  EXPECT_FALSE(PrintRun(Request("1", true), ports));
  EXPECT_EQ(Lines(ports.dump).size(), 24u);
  EXPECT_EQ(ports.calls.end()[-2], "AbortDoc");
  EXPECT_EQ(ports.messages, std::vector<std::string>{"Err: 11|Error occured: Division by zero"});
}

TEST(PrintRun, AnUnwritableDumpLosesNoPageAndIsReportedAfterTheDocument) {
  FakePorts ports;
  ports.dumpUnwritable = true;
  EXPECT_TRUE(PrintRun(Request("2", true), ports));
  EXPECT_EQ(ports.viewerOpened, 0);
  EXPECT_EQ(ports.calls.end()[-2], "EndDoc");
  EXPECT_EQ(ports.messages,
            std::vector<std::string>{"Err: 75|Error occured: Path/File access error"});
}

}  // namespace
}  // namespace vistrel::print
