#include "clipboard_handover.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ClipboardHandover, OnlyThePicturePlacedByTheTransferCounts) {
  // Transfer placed it and nothing changed until it was read.
  EXPECT_TRUE(HandoverArrived({10, 13, true, 13}));
  // Transfer could not open the clipboard: an older picture is still there.
  EXPECT_FALSE(HandoverArrived({10, 10, true, 10}));
  // Another program replaced it between the hand-over and the read.
  EXPECT_FALSE(HandoverArrived({10, 13, true, 14}));
  // Placed, but nothing could be read (the clipboard was held at the read).
  EXPECT_FALSE(HandoverArrived({10, 13, false, 13}));
  // The counter wraps round.
  EXPECT_TRUE(HandoverArrived({0xFFFFFFFFu, 2, true, 2}));
}

TEST(ClipboardHandover, WithoutSequenceNumbersTheReadDecides) {
  EXPECT_TRUE(HandoverArrived({0, 0, true, 0}));
  EXPECT_FALSE(HandoverArrived({0, 0, false, 0}));
}

}  // namespace
}  // namespace vistrel
