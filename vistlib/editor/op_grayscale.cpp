// The grayscale reduction: the region goes through a grayscale JPEG in memory,
// so it carries the loss of that JPEG as the saved picture would.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "operations.h"

namespace vistlib {
namespace {

struct JumpingError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JumpingError*>(info->err)->jump, 1);
}

// Kept apart from anything with a destructor: longjmp skips destructors.
bool Encode(const Image& image, int quality, unsigned char** out, unsigned long* size) {
  jpeg_compress_struct info{};
  JumpingError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, size);
  info.image_width = image.width;
  info.image_height = image.height;
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<uint32_t*>(&image.pixels[static_cast<size_t>(info.next_scanline) * image.width]));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// `image` lives in the caller, so a jump out of libjpeg skips no destructor.
bool Decode(const uint8_t* data, size_t size, Image* image) {
  jpeg_decompress_struct info{};
  JumpingError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  *image = Image(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        &image->pixels[static_cast<size_t>(info.output_scanline) * image->width]);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeGrayJpeg(const Image& image, int quality) {
  if (image.Empty()) return {};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> jpeg;
  if (Encode(image, quality, &buffer, &size)) jpeg.assign(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

std::optional<Image> DecodeJpeg(const std::vector<uint8_t>& jpeg) {
  Image image;
  if (jpeg.empty() || !Decode(jpeg.data(), jpeg.size(), &image) || image.Empty()) return std::nullopt;
  for (uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
  return image;
}

}  // namespace vistlib
