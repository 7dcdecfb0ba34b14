// Builds small zip archives and self-extractor headers in memory, with hooks
// to damage them, for the self-extractor's tests (native and under Wine).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sfx_test {

inline void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xff);
  s += static_cast<char>((v >> 8) & 0xff);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xffff);
  Put16(s, v >> 16);
}

inline std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct ZipItem {
  std::string name;
  std::string data;
  uint16_t method = 8;
  uint16_t flags = 0;
  // Overrides that make a damaged entry.
  std::optional<uint32_t> crc, size;
  std::optional<std::string> payload;  // the stored bytes instead of the packed data
};

class ZipBuilder {
 public:
  ZipItem& Add(std::string name, std::string data, uint16_t method = 8) {
    ZipItem& it = items_.emplace_back();
    it.name = std::move(name);
    it.data = std::move(data);
    it.method = method;
    return it;
  }

  // The archive; its offsets count from its own first byte plus `offsetBias`.
  std::string Build(uint32_t offsetBias = 0) const {
    std::string local, central;
    for (const ZipItem& it : items_) {
      std::string packed = it.payload ? *it.payload
                           : it.method == 8 ? RawDeflate(it.data)
                                            : it.data;
      uint32_t crc = it.crc.value_or(static_cast<uint32_t>(
          crc32(0, reinterpret_cast<const Bytef*>(it.data.data()), static_cast<uInt>(it.data.size()))));
      uint32_t size = it.size.value_or(static_cast<uint32_t>(it.data.size()));
      uint32_t offset = static_cast<uint32_t>(local.size()) + offsetBias;
      auto common = [&](std::string& s) {
        Put16(s, 20);
        Put16(s, it.flags);
        Put16(s, it.method);
        Put16(s, 0x6000);  // 12:00:00
        Put16(s, 0x5a21);  // 2025-01-01
        Put32(s, crc);
        Put32(s, static_cast<uint32_t>(packed.size()));
        Put32(s, size);
        Put16(s, static_cast<uint32_t>(it.name.size()));
        Put16(s, 0);
      };
      Put32(local, 0x04034b50);
      common(local);
      local += it.name;
      local += packed;
      Put32(central, 0x02014b50);
      Put16(central, 20);
      common(central);
      Put16(central, 0);  // comment
      Put16(central, 0);  // disk
      Put16(central, 0);  // internal attributes
      Put32(central, 0);  // external attributes
      Put32(central, offset);
      central += it.name;
    }
    std::string out = local + central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(items_.size()));
    Put16(out, static_cast<uint32_t>(items_.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, static_cast<uint32_t>(local.size()) + offsetBias);
    Put16(out, 0);
    return out;
  }

 private:
  std::vector<ZipItem> items_;
};

// The 256-byte block between stub and archive: "MPU", flags, the three
// lengths, the texts, zeros.
inline std::string SfxHeaderBytes(uint8_t flags, const std::string& caption,
                                  const std::string& folder, const std::string& command) {
  std::string h = "MPU";
  h += static_cast<char>(flags);
  h += static_cast<char>(caption.size());
  h += static_cast<char>(folder.size());
  h += static_cast<char>(command.size());
  h += caption + folder + command;
  h.resize(256, '\0');
  return h;
}

}  // namespace sfx_test
