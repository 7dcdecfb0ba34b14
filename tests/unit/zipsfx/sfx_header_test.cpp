// The block behind the stub and the search for where the stub's image ends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sfx_header.h"
#include "sfx_image.h"
#include "sfx_test_zip.h"

namespace {

using sfx_test::SfxHeaderBytes;

SfxStatus Parse(const std::string& bytes, SfxHeader* h) {
  return SfxParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h);
}

TEST(SfxHeader, ReadsTextsFlagsAndOverwriteMode) {
  SfxHeader h;
  ASSERT_EQ(Parse(SfxHeaderBytes(0x01 | 0x02 | 0x04, "My caption", "C:\\Out", "run.exe /x"), &h),
            SFX_OK);
  EXPECT_STREQ(h.caption, "My caption");
  EXPECT_STREQ(h.defaultDir, "C:\\Out");
  EXPECT_STREQ(h.commandLine, "run.exe /x");
  EXPECT_EQ(h.flags, 0x07);
  EXPECT_EQ(h.overwrite, SFX_OVERWRITE_CONFIRM);

  ASSERT_EQ(Parse(SfxHeaderBytes(0x08, "c", "", ""), &h), SFX_OK);
  EXPECT_EQ(h.overwrite, SFX_OVERWRITE_ALWAYS);
  ASSERT_EQ(Parse(SfxHeaderBytes(0x10, "c", "", ""), &h), SFX_OK);
  EXPECT_EQ(h.overwrite, SFX_OVERWRITE_NEVER);
  // Contradictory bits must not turn into overwriting.
  ASSERT_EQ(Parse(SfxHeaderBytes(0x18, "c", "", ""), &h), SFX_OK);
  EXPECT_EQ(h.overwrite, SFX_OVERWRITE_NEVER);
}

TEST(SfxHeader, EmptyCaptionGetsTheDefault) {
  SfxHeader h;
  ASSERT_EQ(Parse(SfxHeaderBytes(0, "", "D", ""), &h), SFX_OK);
  EXPECT_STREQ(h.caption, "Self-extracting Archive");
  EXPECT_STREQ(h.defaultDir, "D");
}

TEST(SfxHeader, TextsUpTo249BytesTogetherAndNoMore) {
  SfxHeader h;
  std::string c(100, 'c'), d(100, 'd'), l(49, 'l');
  ASSERT_EQ(Parse(SfxHeaderBytes(0, c, d, l), &h), SFX_OK);
  EXPECT_EQ(std::string(h.caption), c);
  EXPECT_EQ(std::string(h.defaultDir), d);
  EXPECT_EQ(std::string(h.commandLine), l);
  // One more byte would read past the block.
  std::string bad = SfxHeaderBytes(0, c, d, l);
  bad[6] = 50;
  EXPECT_EQ(Parse(bad, &h), SFX_ERR_NO_HEADER);
}

TEST(SfxHeader, RejectsWrongSignatureOrShortBlock) {
  SfxHeader h;
  std::string bytes = SfxHeaderBytes(0, "c", "", "");
  bytes[2] = 'X';
  EXPECT_EQ(Parse(bytes, &h), SFX_ERR_NO_HEADER);
  EXPECT_EQ(Parse(SfxHeaderBytes(0, "c", "", "").substr(0, 255), &h), SFX_ERR_NO_HEADER);
}

// A minimal PE head: MZ, PE signature, COFF header, optional header with
// data directories, and a section table.
struct PeSection {
  uint32_t rawSize, rawPtr;
};
std::string MakePe(bool pe32plus, std::vector<PeSection> sections, uint32_t certPtr = 0,
                   uint32_t certSize = 0) {
  std::string s(0x80, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  s[0x3c] = 0x80;
  s += std::string("PE\0\0", 4);
  std::string coff(20, '\0');
  coff[2] = static_cast<char>(sections.size());
  uint32_t optSize = pe32plus ? 240 : 224;
  coff[16] = static_cast<char>(optSize & 0xff);
  coff[17] = static_cast<char>(optSize >> 8);
  s += coff;
  std::string opt(optSize, '\0');
  opt[0] = 0x0b;
  opt[1] = pe32plus ? 0x02 : 0x01;
  size_t dirs = pe32plus ? 112 : 96;
  opt[dirs - 4] = 16;
  std::string cert;
  sfx_test::Put32(cert, certPtr);
  sfx_test::Put32(cert, certSize);
  opt.replace(dirs + 32, 8, cert);
  s += opt;
  for (const PeSection& sec : sections) {
    std::string e(16, '\0');
    sfx_test::Put32(e, sec.rawSize);
    sfx_test::Put32(e, sec.rawPtr);
    e.resize(40, '\0');
    s += e;
  }
  return s;
}

uint64_t EndOf(const std::string& head, SfxStatus expect = SFX_OK) {
  uint64_t end = 0;
  EXPECT_EQ(SfxImageEnd(reinterpret_cast<const uint8_t*>(head.data()), head.size(), &end), expect);
  return end;
}

TEST(SfxImage, EndIsTheFurthestSectionWhateverTheOrder) {
  // Section order in the table need not follow file order; empty (bss) sections have no bytes.
  auto sections = std::vector<PeSection>{{0x2000, 0x400}, {0x600, 0x3000}, {0, 0x9000}};
  EXPECT_EQ(EndOf(MakePe(false, sections)), 0x3600u);
  EXPECT_EQ(EndOf(MakePe(true, sections)), 0x3600u);
}

TEST(SfxImage, SignatureBlockBehindTheSectionsCounts) {
  EXPECT_EQ(EndOf(MakePe(false, {{0x200, 0x400}}, 0x600, 0x1000)), 0x1600u);
  EXPECT_EQ(EndOf(MakePe(true, {{0x200, 0x400}}, 0x600, 0x1000)), 0x1600u);
}

TEST(SfxImage, RejectsWhatIsNotAPeImage) {
  std::string pe = MakePe(false, {{0x200, 0x400}});
  std::string noMz = pe;
  noMz[0] = 'X';
  EndOf(noMz, SFX_ERR_NO_HEADER);
  std::string noPe = pe;
  noPe[0x81] = 'X';
  EndOf(noPe, SFX_ERR_NO_HEADER);
  std::string farPe = pe;
  farPe[0x3d] = 0x7f;  // e_lfanew far beyond the bytes given
  EndOf(farPe, SFX_ERR_NO_HEADER);
  // Section table cut off: no read beyond the buffer (the sanitizer would see it).
  for (size_t n = 0; n < pe.size(); ++n) EndOf(pe.substr(0, n), SFX_ERR_NO_HEADER);
}

}  // namespace
