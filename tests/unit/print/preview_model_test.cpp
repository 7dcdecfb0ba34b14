#include "preview_model.h"

#include <gtest/gtest.h>

#include "memory_settings_store.h"

namespace vistrel::print {
namespace {

TEST(PreviewPlacement, DefaultsToTheTopRightQuarterAndKeepsWhatWasStored) {
  MemorySettingsStore store;
  const PreviewPlacement first = LoadPreviewPlacement(store, 28800, 16200);
  EXPECT_EQ(first, (PreviewPlacement{8100, 14400, 0, 14400}));
  // A stored width moves the default left edge with it.
  store.SaveSetting("Divers", "PrevWidth", "6000");
  EXPECT_EQ(LoadPreviewPlacement(store, 28800, 16200).left, 22800);
  SavePreviewPlacement(store, {4515, 9030, 345, 1200.5}, ',');
  EXPECT_EQ(store.GetSetting("Divers", "PrevHeight", ""), "4515");
  EXPECT_EQ(store.GetSetting("Divers", "PrevLeft", ""), "1200,5");
  EXPECT_EQ(LoadPreviewPlacement(store, 28800, 16200), (PreviewPlacement{4515, 9030, 345, 1200}));
}

TEST(PreviewDrag, ThePointUnderThePointerStaysThere) {
  PreviewDrag drag;
  EXPECT_FALSE(drag.Move(40, 25, false));  // the grab point follows the free pointer
  // Pressed: each move in the picture's own coordinates shifts it by the
  // distance from the grab point (the picture moved, so x is relative again).
  auto shift = drag.Move(70, 25, true);
  ASSERT_TRUE(shift);
  EXPECT_EQ(shift->dx, 30);
  EXPECT_EQ(shift->dy, 0);
  shift = drag.Move(45, 35, true);
  EXPECT_EQ(shift->dx, 5);
  EXPECT_EQ(shift->dy, 10);
  // While a move is carried out further moves do nothing.
  drag.SetBusy(true);
  EXPECT_FALSE(drag.Move(90, 90, true));
  drag.SetBusy(false);
  // A grab point of 0 takes the first pressed position.
  PreviewDrag fresh;
  shift = fresh.Move(12, 7, true);
  EXPECT_EQ(shift->dx, 0);
  EXPECT_EQ(shift->dy, 0);
}

}  // namespace
}  // namespace vistrel::print
