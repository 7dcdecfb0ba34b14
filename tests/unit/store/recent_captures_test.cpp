#include "recent_captures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "memory_settings_store.h"

namespace vistrel {
namespace {

constexpr char kTime[] = "2026-12-09 04:10";

std::vector<std::string> Paths(const std::vector<RecentCapture>& entries) {
  std::vector<std::string> paths;
  for (const RecentCapture& entry : entries) paths.push_back(entry.path);
  return paths;
}

TEST(RecentCaptures, NewestFirstTenKeptAndASavedFileMovesUp) {
  MemorySettingsStore settings;
  for (int i = 1; i <= 12; ++i) {
    RecordRecentCapture(settings, "C:\\pics\\shot" + std::to_string(i) + ".png", kTime);
  }
  std::vector<RecentCapture> entries = ReadRecentCaptures(settings);
  ASSERT_EQ(entries.size(), kRecentCapturesKept);
  EXPECT_EQ(entries.front().path, "C:\\pics\\shot12.png");
  EXPECT_EQ(entries.back().path, "C:\\pics\\shot3.png");
  // The same file saved again (names compare without case) is listed once, first.
  RecordRecentCapture(settings, "c:\\PICS\\shot5.png", "2026-12-09 05:00");
  entries = ReadRecentCaptures(settings);
  ASSERT_EQ(entries.size(), kRecentCapturesKept);
  EXPECT_EQ(entries.front(), (RecentCapture{"c:\\PICS\\shot5.png", "2026-12-09 05:00"}));
  const std::vector<std::string> paths = Paths(entries);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "C:\\pics\\shot5.png"), 0);
  EXPECT_EQ(entries[1].path, "C:\\pics\\shot12.png");
}

TEST(RecentCaptures, ADamagedStoredListIsReadAsFarAsItMakesSense) {
  const struct {
    const char* stored;
    std::vector<std::string> read;
  } cases[] = {
      {"", {}},
      {"garbage", {}},
      {"|||>>>|", {}},
      {"2026-12-09 04:10>C:\\a.png|", {"C:\\a.png"}},
      {"2026-12-09 04:10>C:\\a.png", {"C:\\a.png"}},  // the last end mark lost
      {"yesterday>C:\\a.png|2026-12-09 04:10>C:\\b.png|", {"C:\\b.png"}},
      {"2026-12-09 04:10>a.png|2026-12-09 04:10>C:\\|2026-12-09 04:10>\\\\srv\\s\\c.png|",
       {"\\\\srv\\s\\c.png"}},
      {"2026-12-09 04:10>C:\\a.png|2026-12-09 04:10>C:\\A.PNG|", {"C:\\a.png"}},
      {"2026-12-09 04:10>C:\\a\tb.png|", {}},
  };
  for (const auto& c : cases) {
    MemorySettingsStore settings;
    settings.SaveSetting("Divers", "RecentCaptures", c.stored);
    EXPECT_EQ(Paths(ReadRecentCaptures(settings)), c.read) << c.stored;
  }
  // A stored list of any length reads no more than the menu holds.
  MemorySettingsStore settings;
  std::string many;
  for (int i = 0; i < 500; ++i) many += std::string(kTime) + ">C:\\" + std::to_string(i) + ".bmp|";
  settings.SaveSetting("Divers", "RecentCaptures", many);
  EXPECT_EQ(ReadRecentCaptures(settings).size(), kRecentCapturesKept);
}

TEST(RecentCaptures, GoneFilesAreDroppedAndOnlyThenWritten) {
  MemorySettingsStore settings;
  for (const char* path : {"C:\\a.png", "C:\\b.png", "C:\\c.png"}) {
    RecordRecentCapture(settings, path, kTime);
  }
  std::set<std::string> present = {"C:\\a.png", "C:\\b.png", "C:\\c.png"};
  auto exists = [&](const std::string& path) { return present.count(path) > 0; };
  const std::string before = settings.GetSetting("Divers", "RecentCaptures", "");
  EXPECT_EQ(Paths(PruneRecentCaptures(settings, exists)),
            (std::vector<std::string>{"C:\\c.png", "C:\\b.png", "C:\\a.png"}));
  EXPECT_EQ(settings.GetSetting("Divers", "RecentCaptures", ""), before);
  present.erase("C:\\b.png");
  EXPECT_EQ(Paths(PruneRecentCaptures(settings, exists)),
            (std::vector<std::string>{"C:\\c.png", "C:\\a.png"}));
  EXPECT_EQ(Paths(ReadRecentCaptures(settings)),
            (std::vector<std::string>{"C:\\c.png", "C:\\a.png"}));
}

TEST(RecentCaptures, LabelShowsNameAndTimeWithoutShortcutLetters) {
  EXPECT_EQ(RecentCaptureLabel({"C:\\Tom & Jerry\\R&D.png", kTime}), "R&&D.png\t2026-12-09 04:10");
}

}  // namespace
}  // namespace vistrel
