// JPEG through libjpeg. Its errors arrive by longjmp, so the part that runs
// under setjmp holds no C++ objects of its own.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "encoders.h"

namespace tiffdll {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

extern "C" void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
extern "C" void OnJpegMessage(j_common_ptr) {}

// Fills *buffer (malloc'ed by libjpeg) and *size; false on any error.
bool Compress(const Image& image, int quality, unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct cinfo;
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.base.output_message = OnJpegMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // No chroma subsampling: screen pictures are full of sharp coloured edges
  // (text, lines) that halved colour resolution smears.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

std::optional<Bytes> EncodeJpeg(const Image& image, int quality) {
  // Baseline JPEG stores sizes in 16 bits.
  if (image.Empty() || image.width > 65500 || image.height > 65500) return std::nullopt;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool ok = Compress(image, quality, &buffer, &size);
  std::optional<Bytes> result;
  if (ok && buffer != nullptr) result = Bytes(buffer, buffer + size);
  std::free(buffer);
  return result;
}

}  // namespace tiffdll
