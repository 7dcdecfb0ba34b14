#pragma once
// Deflate of an entry held whole in memory, as every capture is.
//
// zlib's matching is what packs window frames, text and flat colour; on
// photo-like pictures it finds next to nothing and is at its slowest, while
// literals alone in short blocks, each with Huffman tables fitted to the few
// colours nearby, pack them smaller and several times faster (literal_blocks.h
// writes them, and keeps them as quick to read). On noisy pixels between the
// two, matches of five bytes or fewer cost more than the literals they
// replace. Each stretch of the input is packed the way a short trial of
// all three, from the stream's state at that point, finds smallest. Larger
// inputs are cut into a few parts packed side by side on two threads, joined
// on byte boundaries. The output stays plain deflate, the same on every
// machine.
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace zipdll {

// Raw deflate (no zlib or gzip frame) of `size` bytes at `level` 1..9.
// `progress` is told after each stretch how many more input bytes are packed;
// when it returns false the packing stops. Nothing is returned when stopped or
// when memory runs out.
std::optional<std::vector<unsigned char>> DeflateWhole(
    const unsigned char* data, std::size_t size, int level,
    const std::function<bool(std::size_t)>& progress);

// How the packer works through a stretch; exposed for the tests.
enum class DeflateMode {
  kMatches,      // zlib's matching at the level asked for
  kLongMatches,  // the same, with matches of up to five bytes left as literals
  kLiterals,     // literals alone, in blocks cut where the byte values change,
                 // stored where Huffman codes gain too little
};

// The way DeflateWhole packs each stretch of `size` bytes, in order.
std::vector<DeflateMode> DeflateModes(const unsigned char* data, std::size_t size, int level);

}  // namespace zipdll
