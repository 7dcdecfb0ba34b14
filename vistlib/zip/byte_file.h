#pragma once
// Minimal file interfaces for the zip code, so the same logic runs on Win32
// handles in the library and on memory in tests.
#include <cstddef>
#include <cstdint>

namespace vistlib::zip {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual int64_t Size() = 0;  // -1 when unknown
  virtual bool Seek(int64_t position) = 0;
  // Bytes actually read; fewer than asked at the end or on an error.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const void* buffer, std::size_t count) = 0;
  // Flushes and closes; false when anything could not be written.
  virtual bool Close() = 0;
};

}  // namespace vistlib::zip
