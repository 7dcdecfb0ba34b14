#include "converter.h"

#include <gtest/gtest.h>

#include <map>

#include "effects.h"
#include "result_codes.h"
#include "test_images.h"

namespace tiffdll {
namespace {

class FakeIo : public ConversionIo {
 public:
  std::optional<Image> clipboard;
  int32_t readError = kNoBitmap;
  int32_t writeResult = 0;
  int reads = 0;
  std::map<std::string, Bytes> files;

  std::optional<Image> ReadClipboard(int32_t* error) override {
    ++reads;
    *error = readError;
    return clipboard;
  }
  int32_t WriteClipboard(const Image& image) override {
    clipboard = image;
    return 0;
  }
  int32_t WriteFile(const std::string& path, const Bytes& bytes) override {
    if (writeResult == 0) files[path] = bytes;
    return writeResult;
  }
};

TEST(ConvertImageCall, ClipboardToClipboardAppliesTheEffects) {
  FakeIo io;
  io.clipboard = test::Numbered(30, 20);
  EXPECT_EQ(Convert("source=clipboard, dest=clipboard,inv=1 ,rot=90,rescale=15pix", io), kSuccess);
  Image expected = Rescale(test::Numbered(30, 20), 15, 10);
  Invert(expected);
  EXPECT_EQ(io.clipboard, Rotate(expected, 90));
}

TEST(ConvertImageCall, FileDestinationWritesTheEncodedPicture) {
  FakeIo io;
  io.clipboard = test::Numbered(5, 4);
  const std::string path = "C:\\pics, new\\a b.pcx";
  EXPECT_EQ(Convert("source=clipboard, dest=" + path, io), kSuccess);
  ASSERT_EQ(io.files.count(path), 1u);
  EXPECT_EQ(io.files[path], *EncodePcx(test::Numbered(5, 4)));
}

TEST(ConvertImageCall, ErrorsAreReportedAndTheClipboardLeftAlone) {
  FakeIo io;
  io.clipboard = test::Numbered(5, 4);
  EXPECT_EQ(Convert("source=clipboard, dest=C:\\a.gif", io), kUnknownExtension);
  EXPECT_EQ(Convert("dest=clipboard", io), kBadCommand);
  EXPECT_EQ(Convert("source=clipboard, dest=clipboard,rescale=0.5pix", io), kWidthTooSmall);
  EXPECT_EQ(io.reads, 0);  // a bad command never touches the clipboard
  EXPECT_EQ(io.clipboard, test::Numbered(5, 4));

  io.writeResult = kCannotWrite;
  EXPECT_EQ(Convert("source=clipboard, dest=C:\\missing\\a.png", io), kCannotWrite);
  EXPECT_TRUE(io.files.empty());

  FakeIo empty;
  EXPECT_EQ(Convert("source=clipboard, dest=clipboard", empty), kNoBitmap);
  empty.readError = kClipboardBusy;
  EXPECT_EQ(Convert("source=clipboard, dest=C:\\a.png", empty), kClipboardBusy);
}

TEST(ConvertImageCall, NeverReportsTheColourDepthNumber) {
  // Whatever goes wrong, 33203 would make the program claim a display problem.
  FakeIo io;
  io.clipboard = test::Numbered(3, 3);
  for (const char* command : {"source=clipboard, dest=clipboard,rescale=70000pix",
                              "source=clipboard, dest=clipboard,rot=1e300", "x"}) {
    EXPECT_NE(Convert(command, io), kColourDepth) << command;
  }
}

}  // namespace
}  // namespace tiffdll
