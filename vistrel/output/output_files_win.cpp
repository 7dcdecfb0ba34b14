#include "output_files_win.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "archive_entries.h"
#include "bmp_file.h"
#include "dib_info_win.h"
#include "encoders.h"
#include "file_handle_win.h"
#include "gdi_handles_win.h"
#include "partial_file_name.h"
#include "system_text_win.h"

namespace vistrel {

namespace {

// The bitmap's pixels as 24-bit bottom-up rows.
bool BitmapRows(HBITMAP bitmap, int32_t& width, int32_t& height, std::vector<uint8_t>& rows) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
      info.bmHeight <= 0) {
    return false;
  }
  width = info.bmWidth;
  height = info.bmHeight;
  rows.assign(size_t{BmpRowStride24(width)} * static_cast<size_t>(height), 0);
  BITMAPINFO header = BottomUp24(width, height);
  const WindowDc screen(nullptr);
  return GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), rows.data(), &header,
                   DIB_RGB_COLORS) == height;
}

// An archive file read through the zip entry reader.
class ArchiveFile : public vistlib::zip::ByteSource {
 public:
  explicit ArchiveFile(const std::string& path)
      : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
  bool Valid() const { return file_.Valid(); }
  int64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_.Get(), &size) ? size.QuadPart : -1;
  }
  bool Seek(int64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return position >= 0 && SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN);
  }
  std::size_t Read(void* buffer, std::size_t count) override {
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    return ReadFile(file_.Get(), buffer, ask, &got, nullptr) ? got : 0;
  }

 private:
  FileHandle file_;
};

// Removes a partial file and leaves the cause of the failure as the last error.
bool FailKeepingCause(const std::string& partial) {
  const DWORD cause = GetLastError();
  DeleteFileA(partial.c_str());
  SetLastError(cause);
  return false;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

bool ArchiveListsEntry(const std::string& archive, const std::string& entryName) {
  ArchiveFile file(archive);
  return file.Valid() && ArchiveListsEntry(file, archive, entryName);
}

bool FileCanBeRead(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

namespace {

// Writes all the bytes; a write cut short without a reason is a full disk.
bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  while (size > 0) {
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD done = 0;
    const bool accepted = WriteFile(file, data, ask, &done, nullptr);
    if (!accepted || done == 0) {
      if (accepted) SetLastError(ERROR_DISK_FULL);
      return false;
    }
    data += done;
    size -= done;
  }
  return true;
}

// Written under a temporary name and renamed, so a failed write (or a kill in
// the middle) leaves nothing half done under the final name. `fill` writes the
// contents and leaves the cause of a failure as the last error.
bool WriteReplacing(const std::string& path, const std::function<bool(HANDLE)>& fill) {
  const std::string partial = PartialFileName(path, GetCurrentProcessId());
  {
    FileHandle file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    if (!fill(file.Get())) {
      const DWORD cause = GetLastError();
      file.Close();
      SetLastError(cause);
      return FailKeepingCause(partial);
    }
    if (!file.Close()) return FailKeepingCause(partial);
  }
  if (MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  return FailKeepingCause(partial);
}

}  // namespace

bool WriteBitmapFile(HBITMAP bitmap, const std::string& path) {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rows;
  if (!BitmapRows(bitmap, width, height, rows)) return false;
  const std::vector<uint8_t> bytes = BmpFile24(width, height, rows);
  if (bytes.empty()) return false;
  return WriteReplacing(path,
                        [&](HANDLE file) { return WriteAll(file, bytes.data(), bytes.size()); });
}

bool WritePngFile(HBITMAP bitmap, const std::string& path) {
  BITMAP facts{};
  if (!bitmap || !GetObjectA(bitmap, sizeof facts, &facts) || facts.bmWidth <= 0 ||
      facts.bmHeight <= 0) {
    return false;
  }
  const int32_t width = facts.bmWidth, height = facts.bmHeight;
  const size_t stride = BmpRowStride24(width);
  std::vector<uint8_t> band;
  const WindowDc screen(nullptr);
  // GetDIBits counts rows from the bottom and gives blue, green, red.
  const tiffdll::RowReader read = [&](int first, int count, uint8_t* out) {
    BITMAPINFO header = BottomUp24(width, height);
    band.resize(stride * static_cast<size_t>(count));
    if (GetDIBits(screen.get(), bitmap, static_cast<UINT>(height - first - count),
                  static_cast<UINT>(count), band.data(), &header, DIB_RGB_COLORS) != count) {
      return false;
    }
    for (int y = 0; y < count; ++y) {
      const uint8_t* in = band.data() + stride * static_cast<size_t>(count - 1 - y);
      for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    }
    return true;
  };
  return WriteReplacing(path, [&](HANDLE file) {
    DWORD cause = 0;
    const tiffdll::ByteSink write = [&](const uint8_t* data, size_t size) {
      if (WriteAll(file, data, size)) return true;
      cause = GetLastError();
      return false;
    };
    if (tiffdll::EncodePngStreamed(width, height, read, write)) return true;
    // Without a refused write the pixels could not be read or packed: no
    // cause of the system's to tell.
    SetLastError(cause);
    return false;
  });
}

DWORD WriteProbeError(const std::string& target, const std::string& source) {
  LARGE_INTEGER size{};
  {
    FileHandle from(CreateFileA(source.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!from.Valid() || !GetFileSizeEx(from.Get(), &size)) size.QuadPart = 0;
  }
  // Zeros really written: a file only made long could be sparse and fit anywhere.
  const std::string probe =
      FolderOf(target) + "\\~vistrel-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  FileHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file.Valid()) return GetLastError();
  const std::vector<uint8_t> zeros(1u << 16, 0);
  DWORD error = 0;
  for (int64_t left = std::min<int64_t>(size.QuadPart, int64_t{1} << 28); left > 0 && !error;) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<int64_t>(left, int64_t{zeros.size()}));
    if (!WriteFile(file.Get(), zeros.data(), chunk, &done, nullptr) || done == 0) {
      error = GetLastError();
      if (error == 0) error = ERROR_DISK_FULL;  // nothing taken and no reason given
    }
    left -= done;
  }
  if (!error && !FlushFileBuffers(file.Get())) error = GetLastError();
  return error;
}

std::string SystemMessageText(DWORD code) { return SystemText(code, "System error "); }

}  // namespace vistrel
