// The in-memory deflate: plain raw deflate that zlib inflates back exactly, at
// every level and across its stretch and block boundaries, and smaller than
// zlib's own level 9 where a picture is photo-like.
#include "whole_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "raw_inflate.h"
#include "test_pictures.h"

namespace zipdll {
namespace {

using Bytes = std::vector<unsigned char>;
using ziptest::DesktopLike;
using ziptest::Inflate;
using ziptest::Noise;
using ziptest::PhotoLike;

// What libzip's own deflate writes at a level: zlib with its largest tables.
std::size_t ZlibSize(const Bytes& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, data.size()));
  z.next_in = const_cast<unsigned char*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  const std::size_t size = z.total_out;
  deflateEnd(&z);
  return size;
}

Bytes Text(std::size_t size) {
  const std::string line = "Captured with care, line after line of the same old report.\r\n";
  Bytes b;
  while (b.size() < size) b.insert(b.end(), line.begin(), line.end());
  b.resize(size);
  return b;
}

TEST(WholeDeflate, EveryLevelInflatesBackExactly) {
  Bytes mixed = DesktopLike(700, 300);  // 630,000 bytes: more than one stretch
  const Bytes photo = PhotoLike(300, 200, 3);
  mixed.insert(mixed.end(), photo.begin(), photo.end());
  Bytes noise(70000);
  Noise n{11};
  for (unsigned char& c : noise) c = static_cast<unsigned char>(n.Next(127) + 128);
  const std::vector<std::pair<std::string, Bytes>> inputs = {
      {"empty", {}},
      {"one byte", {'x'}},
      {"one literal block", Text(2048)},
      {"one more than a block", Text(2049)},
      {"exactly one stretch",
       [] {
         Bytes b = PhotoLike(600, 300, 5);
         b.resize(512 * 1024);
         return b;
       }()},
      {"one more than a stretch", Bytes(512 * 1024 + 1, 0x5a)},
      {"noise", noise},
      {"desktop then photo", mixed},
  };
  for (const auto& [name, data] : inputs) {
    for (int level = 1; level <= 9; ++level) {
      SCOPED_TRACE(name + " at level " + std::to_string(level));
      const std::optional<Bytes> packed = DeflateWhole(data.data(), data.size(), level, nullptr);
      ASSERT_TRUE(packed);
      EXPECT_EQ(Inflate(*packed, data.size()), data);
    }
  }
}

TEST(WholeDeflate, PhotoLikeStretchesLeaveShortMatchesAndTheDesktopKeepsThem) {
  Bytes data = DesktopLike(1000, 200);  // 600,000 bytes
  const Bytes photo = PhotoLike(1000, 200, 7);
  data.insert(data.end(), photo.begin(), photo.end());
  const std::vector<DeflateMode> modes = DeflateModes(data.data(), data.size(), 9);
  ASSERT_EQ(modes.size(), 3u);  // 512 KiB, 512 KiB, the rest
  EXPECT_NE(modes[0], DeflateMode::kLiterals);
  EXPECT_NE(modes[2], DeflateMode::kMatches);  // short matches dropped, or none at all
}

TEST(WholeDeflate, PhotoLikePicturesComeOutSmallerThanZlibsLevelNine) {
  const Bytes photo = PhotoLike(800, 450, 9);
  const std::optional<Bytes> packed = DeflateWhole(photo.data(), photo.size(), 9, nullptr);
  ASSERT_TRUE(packed);
  EXPECT_LT(static_cast<double>(packed->size()), 0.99 * static_cast<double>(ZlibSize(photo, 9)));

  // Where matching is what counts, no worse than zlib's level 9.
  for (const Bytes& data : {DesktopLike(800, 450), Text(300000)}) {
    const std::optional<Bytes> packed = DeflateWhole(data.data(), data.size(), 9, nullptr);
    ASSERT_TRUE(packed);
    EXPECT_LE(packed->size(), ZlibSize(data, 9) + ZlibSize(data, 9) / 100);
  }
}

TEST(WholeDeflate, MatchesAfterLiteralStretchesReachBackIntoThem) {
  // Nine stretches in four parts, the last part photo, desktop, photo: zlib's
  // stream hands over to literal blocks and back wherever its bits stand, and
  // the entry ends in literal blocks. Early in the desktop there is a copy of
  // the photo's last 20 KiB, which zlib finds only in a window that holds what
  // the reader has.
  constexpr std::size_t kStretch = 512 * 1024;
  constexpr std::size_t kEcho = 20 * 1024;
  constexpr std::size_t kLead = 8 * 1024;  // what the choice of way is tried on
  const auto entry = [&](const Bytes& echo) {
    Bytes data = DesktopLike(1024, 1024);  // six stretches
    const Bytes photo = PhotoLike(1000, 300, 1);
    data.insert(data.end(), photo.begin(), photo.begin() + kStretch);
    const Bytes desktop = DesktopLike(1000, 200);
    data.insert(data.end(), desktop.begin(), desktop.begin() + kLead);
    data.insert(data.end(), echo.begin(), echo.end());
    data.insert(data.end(), desktop.begin() + kLead, desktop.begin() + (kStretch - kEcho));
    const Bytes last = PhotoLike(1000, 100, 3);
    data.insert(data.end(), last.begin(), last.end());
    return data;
  };
  const Bytes photo = PhotoLike(1000, 300, 1);
  const Bytes data = entry(Bytes(photo.begin() + kStretch - kEcho, photo.begin() + kStretch));
  const std::vector<DeflateMode> modes = DeflateModes(data.data(), data.size(), 9);
  ASSERT_EQ(modes.size(), 9u);
  EXPECT_NE(modes[5], DeflateMode::kLiterals);
  EXPECT_EQ(modes[6], DeflateMode::kLiterals);
  EXPECT_NE(modes[7], DeflateMode::kLiterals);
  EXPECT_EQ(modes[8], DeflateMode::kLiterals);

  const std::optional<Bytes> packed = DeflateWhole(data.data(), data.size(), 9, nullptr);
  ASSERT_TRUE(packed);
  EXPECT_EQ(Inflate(*packed, data.size()), data);
  // The echo costs next to nothing; other photo bytes in its place cost most
  // of their size.
  const Bytes other = PhotoLike(1000, 7, 2);
  const Bytes unechoed = entry(Bytes(other.begin(), other.begin() + kEcho));
  const std::optional<Bytes> plain = DeflateWhole(unechoed.data(), unechoed.size(), 9, nullptr);
  ASSERT_TRUE(plain);
  EXPECT_LT(packed->size() + kEcho / 2, plain->size());
}

TEST(WholeDeflate, TheSameInputGivesTheSameBytesWhicheverThreadPacksWhichPart) {
  Bytes data = DesktopLike(1000, 400);  // 1,200,000 bytes
  const Bytes photo = PhotoLike(1000, 400, 2);
  data.insert(data.end(), photo.begin(), photo.end());  // five stretches, four parts
  const std::optional<Bytes> once = DeflateWhole(data.data(), data.size(), 9, nullptr);
  ASSERT_TRUE(once);
  EXPECT_EQ(Inflate(*once, data.size()), data);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(DeflateWhole(data.data(), data.size(), 9, nullptr), once);
}

TEST(WholeDeflate, ProgressCountsEveryByteAndCanStopThePacking) {
  const Bytes data = PhotoLike(640, 600, 1);  // 1,152,000 bytes: three stretches
  std::vector<std::size_t> steps;
  ASSERT_TRUE(DeflateWhole(data.data(), data.size(), 6, [&](std::size_t n) {
    steps.push_back(n);
    return true;
  }));
  std::size_t total = 0;
  for (std::size_t n : steps) total += n;
  EXPECT_EQ(total, data.size());
  EXPECT_LE(steps.size(), 3u);  // a stretch at a time, or what another thread did with it

  // Asked to stop at the second report, wherever the stretches were packed:
  // eight stretches, so that this thread packs two at least, however fast the
  // other is.
  const Bytes flat(8 * 512 * 1024, 0x5a);
  int calls = 0;
  EXPECT_FALSE(DeflateWhole(flat.data(), flat.size(), 6, [&](std::size_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace zipdll
