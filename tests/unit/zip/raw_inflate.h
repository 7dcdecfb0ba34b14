#pragma once
// zlib's inflate of a raw deflate stream, as every reader of our archives
// would: the whole stream, and nothing after its end.
#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace ziptest {

inline std::vector<unsigned char> Inflate(const std::vector<unsigned char>& packed,
                                          std::size_t expected) {
  std::vector<unsigned char> out(expected + 1);
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
  z.next_in = const_cast<unsigned char*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END) << (z.msg != nullptr ? z.msg : "");
  EXPECT_EQ(z.avail_in, 0u) << "bytes after the end of the deflate stream";
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

}  // namespace ziptest
