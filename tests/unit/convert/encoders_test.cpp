// Round trips: what we write is read back with the format's own library (or,
// for PCX and DCX, with our reader, whose layout checks are below).
#include "encoders.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "test_images.h"

namespace tiffdll {
namespace {

using test::Numbered;

Image DecodePng(const Bytes& bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
  image.format = PNG_FORMAT_RGB;
  Image out(static_cast<int>(image.width), static_cast<int>(image.height));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr));
  return out;
}

Image DecodeJpeg(const Bytes& bytes) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  Image out(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.Row(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

// libtiff reads from a real file; the test writes one in the temp folder.
Image DecodeTiff(const Bytes& bytes, uint16_t* compression) {
  auto path = std::filesystem::temp_directory_path() / "unit_convert_roundtrip.tif";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
  TIFF* tif = TIFFOpen(path.string().c_str(), "r");
  EXPECT_NE(tif, nullptr);
  uint32_t w = 0, h = 0;
  uint16_t spp = 0, bps = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, compression);
  EXPECT_EQ(spp, 3);
  EXPECT_EQ(bps, 8);
  Image out(static_cast<int>(w), static_cast<int>(h));
  for (uint32_t y = 0; y < h; ++y) TIFFReadScanline(tif, out.Row(static_cast<int>(y)), y, 0);
  TIFFClose(tif);
  std::filesystem::remove(path);
  return out;
}

double Psnr(const Image& a, const Image& b) {
  double sum = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    double d = double(a.rgb[i]) - b.rgb[i];
    sum += d * d;
  }
  double mse = sum / a.rgb.size();
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A smooth picture with a few edges, like a screen region.
Image Smooth(int w, int h) {
  Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<uint8_t>(x * 255 / w);
      p[1] = static_cast<uint8_t>(y * 255 / h);
      p[2] = (x / 16 + y / 16) % 2 ? 200 : 60;
    }
  return image;
}

TEST(ConvertEncoders, PngIsLosslessRgb) {
  Image source = Numbered(7, 5);  // odd sizes catch row-stride slips
  auto bytes = EncodePng(source);
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[25], PNG_COLOR_TYPE_RGB);  // colour type in IHDR
  EXPECT_EQ(DecodePng(*bytes), source);
}

// What libpng writes with its own default packing (level 6, adaptive filters).
size_t DefaultPngSize(const Image& image) {
  png_image facts;
  std::memset(&facts, 0, sizeof facts);
  facts.version = PNG_IMAGE_VERSION;
  facts.width = static_cast<png_uint_32>(image.width);
  facts.height = static_cast<png_uint_32>(image.height);
  facts.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&facts, nullptr, &size, 0, image.rgb.data(), 0, nullptr));
  return size;
}

// A screen-sized band of a noise-rich photo (smooth colour plus grain) and one of
// windows with text (flat areas, repeated glyph patterns): the two packings the
// encoder chooses between.
Image Grainy(int w, int h) {
  Image image(w, h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        seed = seed * 1103515245u + 12345u;
        const int grain = static_cast<int>((seed >> 16) % 24) - 12;
        image.Pixel(x, y)[c] =
            static_cast<uint8_t>(std::clamp((x + y * (c + 1)) / 8 + 64 + grain, 0, 255));
      }
    }
  }
  return image;
}

Image Windows(int w, int h) {
  Image image = test::Filled(w, h, 58, 110, 165);
  for (int y = 20; y < h - 20; ++y) {
    for (int x = 40; x < w - 40; ++x) {
      // Lines of "text": a glyph pattern repeated along each line.
      const bool ink = (y / 12) % 2 == 0 && ((x * 7 + y * 3) % 11 < 3) && x % 64 < 50;
      const uint8_t v = ink ? 0 : 240;
      std::memset(image.Pixel(x, y), v, 3);
    }
  }
  return image;
}

// Pictures of 512 KB and more are packed in bands, one per processor (two on
// any machine that runs this), joined into one stream: every pixel must come
// back across the seams, and a seam may cost some tens of bytes, no more.
TEST(ConvertEncoders, PngKeepsEveryPixelAndPacksNoWorseThanLibpngDefaults) {
  for (const auto& [what, source, seamBytes] :
       {std::tuple{"photo", Grainy(960, 90), 0}, std::tuple{"windows", Windows(960, 90), 0},
        std::tuple{"photo in bands", Grainy(640, 333), 64},
        std::tuple{"windows in bands", Windows(640, 333), 64}}) {
    auto bytes = EncodePng(source);
    ASSERT_TRUE(bytes) << what;
    EXPECT_EQ(DecodePng(*bytes), source) << what;
    EXPECT_LE(bytes->size(), DefaultPngSize(source) + seamBytes) << what;
  }
}

// The streamed png is the whole-picture one made a block of rows at a time: the
// same pixels across every block seam (the row above a block's first row is the
// last of the block before), the same packing choice, a few bytes per seam more
// at most. A read or a write that fails stops it, with nothing more written.
Bytes Streamed(const Image& source, int failReadAt = -1, size_t failWriteAfter = SIZE_MAX) {
  Bytes out;
  const RowReader read = [&](int first, int count, uint8_t* rows) {
    if (failReadAt >= first && failReadAt < first + count) return false;
    std::memcpy(rows, source.Row(first), count * source.Stride());
    return true;
  };
  const ByteSink write = [&](const uint8_t* data, size_t size) {
    if (out.size() + size > failWriteAfter) return false;
    out.insert(out.end(), data, data + size);
    return true;
  };
  if (!EncodePngStreamed(source.width, source.height, read, write)) out.clear();
  return out;
}

TEST(ConvertEncoders, StreamedPngHasEveryPixelAndPacksLikeTheWholePicture) {
  // 700 rows of 1200 pixels: several blocks per processor, the last one short.
  for (const auto& [what, source] :
       {std::pair{"photo", Grainy(1200, 700)}, std::pair{"windows", Windows(1200, 700)},
        std::pair{"one row", Grainy(1200, 1)}, std::pair{"one column", Grainy(1, 300)}}) {
    const Bytes streamed = Streamed(source);
    ASSERT_FALSE(streamed.empty()) << what;
    EXPECT_EQ(DecodePng(streamed), source) << what;
    const size_t whole = EncodePng(source)->size();
    // Some tens of bytes a seam, on a picture that packs to 1 %.
    EXPECT_LE(streamed.size(), whole + whole / 50 + 64) << what;
  }
}

TEST(ConvertEncoders, StreamedPngStopsAtAFailedReadOrWrite) {
  const Image source = Grainy(1200, 700);
  EXPECT_TRUE(Streamed(source, 650).empty());  // a row of the last block
  EXPECT_TRUE(Streamed(source, 0).empty());    // the first row, read for the sample
  EXPECT_TRUE(Streamed(source, -1, 100000).empty());
  EXPECT_TRUE(Streamed(source, -1, 10).empty());  // inside the header
}

TEST(ConvertEncoders, JpegAtQualityNinetyIsClose) {
  Image source = Smooth(64, 48);
  auto bytes = EncodeJpeg(source);
  ASSERT_TRUE(bytes);
  Image back = DecodeJpeg(*bytes);
  ASSERT_EQ(back.width, 64);
  ASSERT_EQ(back.height, 48);
  EXPECT_GT(Psnr(source, back), 30);
  // Red stays red: catches swapped channel order.
  Image red = test::Filled(16, 16, 255, 0, 0);
  Image redBack = DecodeJpeg(*EncodeJpeg(red));
  EXPECT_GT(redBack.Pixel(8, 8)[0], 240);
  EXPECT_LT(redBack.Pixel(8, 8)[2], 15);
}

TEST(ConvertEncoders, TiffIsLosslessLzwRgb) {
  Image source = Numbered(7, 5);
  auto bytes = EncodeTiff(source);
  ASSERT_TRUE(bytes);
  uint16_t compression = 0;
  EXPECT_EQ(DecodeTiff(*bytes, &compression), source);
  EXPECT_EQ(compression, COMPRESSION_LZW);
  // Several strips.
  Image big = Smooth(300, 200);
  EXPECT_EQ(DecodeTiff(*EncodeTiff(big), &compression), big);
}

TEST(ConvertEncoders, PcxHeaderAndPlanes) {
  Image source = Numbered(5, 3);
  auto bytes = EncodePcx(source);
  ASSERT_TRUE(bytes);
  const Bytes& b = *bytes;
  EXPECT_EQ(b[0], 0x0A);
  EXPECT_EQ(b[1], 5);
  EXPECT_EQ(b[2], 1);
  EXPECT_EQ(b[3], 8);
  EXPECT_EQ(b[8] | (b[9] << 8), 4);    // last column
  EXPECT_EQ(b[10] | (b[11] << 8), 2);  // last row
  EXPECT_EQ(b[65], 3);
  EXPECT_EQ(b[66] | (b[67] << 8), 6);  // bytes per plane line, even
  // First line: red plane 0,40,80,120,160 (160 >= 0xC0? no: 0xA0) and a pad byte.
  EXPECT_EQ(b[128], 0);
  EXPECT_EQ(b[129], 40);
  auto back = DecodePcx(b.data(), b.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, source);
}

TEST(ConvertEncoders, PcxRunsStopAtSixtyThreeAndEscapeHighBytes) {
  Image wide = test::Filled(130, 1, 0xC5, 7, 7);
  auto bytes = EncodePcx(wide);
  ASSERT_TRUE(bytes);
  const Bytes& b = *bytes;
  // 130 bytes of 0xC5: 63 + 63 + 4.
  EXPECT_EQ(b[128], 0xC0 | 63);
  EXPECT_EQ(b[129], 0xC5);
  EXPECT_EQ(b[130], 0xC0 | 63);
  EXPECT_EQ(b[132], 0xC0 | 4);
  EXPECT_EQ(*DecodePcx(b.data(), b.size()), wide);
  // A lone byte of 0xC0 or more needs a count of one.
  Image single = test::Filled(1, 1, 0xF0, 1, 2);
  auto one = *EncodePcx(single);
  EXPECT_EQ(one[128], 0xC1);
  EXPECT_EQ(one[129], 0xF0);
  EXPECT_EQ(*DecodePcx(one.data(), one.size()), single);
}

TEST(ConvertEncoders, DcxHoldsOnePcxPage) {
  Image source = Smooth(33, 17);
  auto bytes = EncodeDcx(source);
  ASSERT_TRUE(bytes);
  const Bytes& b = *bytes;
  EXPECT_EQ(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24), 987654321u);
  uint32_t first = b[4] | (b[5] << 8) | (b[6] << 16) | (uint32_t(b[7]) << 24);
  EXPECT_EQ(first, 4100u);
  EXPECT_EQ(b[8] | b[9] | b[10] | b[11], 0);  // the list ends after one page
  EXPECT_EQ(b[first], 0x0A);
  EXPECT_EQ(*DecodeDcxFirstPage(b.data(), b.size()), source);
}

TEST(ConvertEncoders, PcxReaderRefusesDamagedFiles) {
  Bytes b = *EncodePcx(Smooth(20, 10));
  EXPECT_FALSE(DecodePcx(b.data(), b.size() - 10));  // cut short
  Bytes spill = b;
  spill[128] = 0xFF;  // a run of 63 that overflows the 20-byte plane line
  EXPECT_FALSE(DecodePcx(spill.data(), spill.size()));
  EXPECT_FALSE(DecodePcx(b.data(), 100));
  EXPECT_FALSE(DecodeDcxFirstPage(b.data(), b.size()));  // no DCX magic
}

}  // namespace
}  // namespace tiffdll
