#include "bmp_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "folder_path.h"

namespace vistrel {
namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(BmpFile, HeadersDescribeTheRowsThatFollow) {
  // 3 x 2 pixels: rows of 9 bytes padded to 12.
  ASSERT_EQ(BmpRowStride24(3), 12u);
  std::vector<uint8_t> rows(24);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> file = BmpFile24(3, 2, rows);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Get32(file, 2), 78u);   // file size
  EXPECT_EQ(Get32(file, 10), 54u);  // pixel offset
  EXPECT_EQ(Get32(file, 18), 3u);
  EXPECT_EQ(Get32(file, 22), 2u);
  EXPECT_EQ(file[28], 24);
  EXPECT_EQ(Get32(file, 34), 24u);
  EXPECT_EQ(std::memcmp(file.data() + 54, rows.data(), rows.size()), 0);
}

TEST(BmpFile, RefusesSizesItCannotDescribe) {
  std::vector<uint8_t> rows(12);
  EXPECT_TRUE(BmpFile24(0, 1, rows).empty());
  EXPECT_TRUE(BmpFile24(3, -1, rows).empty());
  EXPECT_TRUE(BmpFile24(3, 2, rows).empty()) << "short pixel data must not be read past";
  EXPECT_TRUE(BmpFile24(100000, 100000, rows).empty());
}

TEST(FolderPath, ChainsJoinsAndDriveMessages) {
  EXPECT_EQ(FolderChain("C:\\Pics\\Old"),
            (std::vector<std::string>{"C:\\", "C:\\Pics", "C:\\Pics\\Old"}));
  EXPECT_EQ(FolderChain("C:\\"), (std::vector<std::string>{"C:\\"}));
  EXPECT_EQ(JoinFolder("C:\\", "Pics"), "C:\\Pics");
  EXPECT_EQ(JoinFolder("C:\\Pics", "Old"), "C:\\Pics\\Old");
  EXPECT_EQ(DriveRoot("D:\\Pics"), "D:\\");
  EXPECT_EQ(DriveNotAvailableText("a: [Floppy]"), "Drive \"a:\" not available. ");
}

}  // namespace
}  // namespace vistrel
