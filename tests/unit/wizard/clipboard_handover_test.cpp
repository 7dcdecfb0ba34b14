#include "clipboard_handover.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ClipboardHandover, OnlyThePicturePlacedByTheTransferCounts) {
  // Transfer placed it and nothing changed until it was read.
  EXPECT_TRUE(HandoverPlaced({10, 13, true}));
  EXPECT_TRUE(HandoverArrived({10, 13, true, true, 13}));
  // Transfer could not open the clipboard: an older picture of ours is still there.
  EXPECT_FALSE(HandoverPlaced({10, 10, true}));
  EXPECT_FALSE(HandoverArrived({10, 10, true, true, 10}));
  // Another program changed the clipboard while Transfer waited for it and
  // left its own picture there.
  EXPECT_FALSE(HandoverPlaced({10, 12, false}));
  EXPECT_FALSE(HandoverArrived({10, 12, false, true, 12}));
  // Another program replaced it between the hand-over and the read.
  EXPECT_FALSE(HandoverArrived({10, 13, true, true, 14}));
  // Placed, but nothing could be read (the clipboard was held at the read).
  EXPECT_FALSE(HandoverArrived({10, 13, true, false, 13}));
  // The counter wraps round.
  EXPECT_TRUE(HandoverArrived({0xFFFFFFFFu, 2, true, true, 2}));
}

TEST(ClipboardHandover, WithoutSequenceNumbersTheReadAndTheOwnerDecide) {
  EXPECT_TRUE(HandoverPlaced({0, 0, true}));
  EXPECT_TRUE(HandoverArrived({0, 0, true, true, 0}));
  EXPECT_FALSE(HandoverArrived({0, 0, true, false, 0}));
  EXPECT_FALSE(HandoverArrived({0, 0, false, true, 0}));
}

}  // namespace
}  // namespace vistrel
