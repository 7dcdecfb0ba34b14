#include "command.h"

#include <gtest/gtest.h>

#include "result_codes.h"

namespace tiffdll {
namespace {

Command Parse(const std::string& text) {
  ParsedCommand parsed = ParseCommand(text);
  EXPECT_TRUE(parsed.command.has_value()) << text << " -> " << parsed.error;
  return parsed.command.value_or(Command{});
}

int32_t ErrorOf(const std::string& text) {
  ParsedCommand parsed = ParseCommand(text);
  EXPECT_FALSE(parsed.command.has_value()) << text;
  return parsed.error;
}

TEST(ConvertCommand, EveryOptionSubsetInTheProgramsOrder) {
  // The program appends the options in this order, any of them left out.
  const char* parts[] = {",inv=1 ", ",mirror=2 ", ",mirror=1 ", ",rot=270", ",rescale=533.333333333333pix"};
  for (int mask = 0; mask < 32; ++mask) {
    std::string text = "source=clipboard, dest=clipboard";
    for (int i = 0; i < 5; ++i) {
      if (mask & (1 << i)) text += parts[i];
    }
    Command c = Parse(text);
    EXPECT_TRUE(c.toClipboard);
    EXPECT_EQ(c.invert, (mask & 1) != 0) << text;
    EXPECT_EQ(c.mirrorTopBottom, (mask & 2) != 0) << text;
    EXPECT_EQ(c.mirrorLeftRight, (mask & 4) != 0) << text;
    EXPECT_EQ(c.angle, (mask & 8) ? 270.0 : 0.0) << text;
    EXPECT_EQ(c.width.has_value(), (mask & 16) != 0) << text;
    if (c.width) {
      EXPECT_DOUBLE_EQ(*c.width, 533.333333333333);
    }
  }
}

TEST(ConvertCommand, TheProgramsExampleCommand) {
  Command c = Parse("source=clipboard, dest=clipboard,inv=1 ,rot=90,rescale=800pix");
  EXPECT_TRUE(c.invert);
  EXPECT_FALSE(c.mirrorLeftRight || c.mirrorTopBottom);
  EXPECT_EQ(c.angle, 90);
  EXPECT_EQ(c.width, 800);
}

TEST(ConvertCommand, NumbersInExponentAndNegativeForms) {
  EXPECT_EQ(Parse("source=clipboard, dest=clipboard,rot=-140").angle, -140);
  EXPECT_EQ(Parse("source=clipboard, dest=clipboard,rescale=1E+03pix").width, 1000);
  EXPECT_EQ(Parse("source=clipboard, dest=clipboard,rot=12.5,rescale=1pix").angle, 12.5);
}

TEST(ConvertCommand, DecimalCommaAndPointReadTheSame) {
  // A caller writing numbers in a decimal-comma locale must not split the options.
  struct Case {
    const char* text;
    double angle;
    double width;
  };
  for (Case c : {Case{",rot=359.5,rescale=957.6pix", 359.5, 957.6},
                 Case{",rot=359,5,rescale=957,6pix", 359.5, 957.6},
                 Case{",inv=1 ,rot=12,5,rescale=0,5E+03pix", 12.5, 500},
                 Case{",mirror=2 ,rot=0,rescale=1,25pix", 0, 1.25}}) {
    Command command = Parse(std::string("source=clipboard, dest=clipboard") + c.text);
    EXPECT_DOUBLE_EQ(command.angle, c.angle) << c.text;
    EXPECT_DOUBLE_EQ(command.width.value_or(-1), c.width) << c.text;
  }
  // "rot=0" followed by a new option is not the number 0,rescale.
  Command whole = Parse("source=clipboard, dest=clipboard,rot=0,rescale=800pix");
  EXPECT_EQ(whole.angle, 0);
  EXPECT_EQ(whole.width, 800);
}

TEST(ConvertCommand, FilePathIsEverythingAfterDest) {
  Command c = Parse("source=clipboard, dest=C:\\My Pictures, old\\shot,rot=90 1.PNG");
  EXPECT_FALSE(c.toClipboard);
  EXPECT_EQ(c.path, "C:\\My Pictures, old\\shot,rot=90 1.PNG");
  EXPECT_EQ(c.format, FileFormat::kPng);
  EXPECT_FALSE(c.invert);
  EXPECT_EQ(c.angle, 0);
  // A folder named like the clipboard word is still a path.
  EXPECT_EQ(Parse("source=clipboard, dest=clipboard\\a.jpg").path, "clipboard\\a.jpg");
  // A trailing line end is not part of the name.
  EXPECT_EQ(Parse("source=clipboard, dest=C:\\a.tif\r\n").path, "C:\\a.tif");
}

TEST(ConvertCommand, FormatFollowsTheExtensionWithoutCase) {
  EXPECT_EQ(FormatFromPath("C:\\x\\a.jpg"), FileFormat::kJpeg);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.JPEG"), FileFormat::kJpeg);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.Tif"), FileFormat::kTiff);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.tiff"), FileFormat::kTiff);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.pcx"), FileFormat::kPcx);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.dcx"), FileFormat::kDcx);
  EXPECT_EQ(FormatFromPath("C:\\x.png\\a"), std::nullopt);  // the dot is in a folder name
  EXPECT_EQ(FormatFromPath("C:\\x\\a.bmp"), std::nullopt);
  EXPECT_EQ(FormatFromPath("C:\\x\\a.png.gif"), std::nullopt);
}

TEST(ConvertCommand, MalformedCommandsAreRefusedWithTheirNumbers) {
  EXPECT_EQ(ErrorOf(""), kBadCommand);
  EXPECT_EQ(ErrorOf("source=file, dest=clipboard"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard,dest=clipboard"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest="), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,"), kBadCommand);
  // Without the comma this is a file name, and one without a known extension.
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard;inv=1"), kUnknownExtension);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,inv=2 "), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,mirror=3 "), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,mirror=1 ,mirror=1 "), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rot="), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rot=45abc"), kBadCommand);
  // Two separators in one number, and a comma that leads nowhere.
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rot=1,5,5"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rot=1.5,5"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rot=12,"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rescale=800"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rescale=pix"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,zoom=2"), kBadCommand);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=C:\\a.gif"), kUnknownExtension);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=C:\\noextension"), kUnknownExtension);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rescale=0.99pix"), kWidthTooSmall);
  EXPECT_EQ(ErrorOf("source=clipboard, dest=clipboard,rescale=-5pix"), kWidthTooSmall);
}

}  // namespace
}  // namespace tiffdll
