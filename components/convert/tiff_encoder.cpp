// TIFF through libtiff: 24-bit RGB, LZW with the horizontal predictor, which
// every reader of LZW TIFF understands. libtiff writes through our own
// procedures into memory.
#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "encoders.h"

namespace tiffdll {
namespace {

struct MemoryFile {
  Bytes data;
  uint64_t pos = 0;
  bool failed = false;
};

MemoryFile* File(thandle_t handle) { return static_cast<MemoryFile*>(handle); }

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile* f = File(handle);
  if (f->pos >= f->data.size()) return 0;
  size_t n = std::min<size_t>(static_cast<size_t>(size), f->data.size() - f->pos);
  std::memcpy(buffer, f->data.data() + f->pos, n);
  f->pos += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile* f = File(handle);
  try {
    size_t end = static_cast<size_t>(f->pos) + static_cast<size_t>(size);
    if (end > f->data.size()) f->data.resize(end);
    std::memcpy(f->data.data() + f->pos, buffer, static_cast<size_t>(size));
    f->pos = end;
    return size;
  } catch (...) {
    f->failed = true;
    return -1;
  }
}

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  MemoryFile* f = File(handle);
  uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->data.size() : 0;
  f->pos = base + offset;
  return f->pos;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return File(handle)->data.size(); }
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

}  // namespace

std::optional<Bytes> EncodeTiff(const Image& image) {
  if (image.Empty()) return std::nullopt;
  // Our own procedures report the failures; libtiff's messages would go to
  // a console nobody sees.
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  MemoryFile file;
  TIFF* tif = TIFFClientOpen("memory", "w", &file, Read, Write, Seek, Close, Size, Map, Unmap);
  if (tif == nullptr) return std::nullopt;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
            TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, 96.0) &&
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, 96.0) &&
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  // libtiff may work on the row in place (the predictor), so give it a copy.
  Bytes row(image.Stride());
  for (int y = 0; ok && y < image.height; ++y) {
    std::memcpy(row.data(), image.Row(y), row.size());
    ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  ok = ok && TIFFWriteDirectory(tif) == 1;
  TIFFClose(tif);
  if (!ok || file.failed) return std::nullopt;
  return std::move(file.data);
}

}  // namespace tiffdll
