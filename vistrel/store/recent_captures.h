#pragma once
// The files the program saved last, newest first, kept with the settings for
// the tray menu. The stored text comes from outside the program (anyone can
// edit the registry): what does not read as an entry is left out.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "settings_store.h"

namespace vistrel {

struct RecentCapture {
  std::string path;  // a full path: "C:\..." or "\\server\..."
  std::string time;  // local time of the save, "2026-12-09 04:10"
  bool operator==(const RecentCapture&) const = default;
};

inline constexpr size_t kRecentCapturesKept = 10;

std::vector<RecentCapture> ReadRecentCaptures(const SettingsStore& settings);

// The file saved now goes first; an earlier entry of the same file (in any
// case) goes, and the list keeps the newest kRecentCapturesKept.
void RecordRecentCapture(SettingsStore& settings, const std::string& path, const std::string& time);

// Drops the entries whose files are gone and returns the rest; the stored list
// is rewritten only when something went.
std::vector<RecentCapture> PruneRecentCaptures(
    SettingsStore& settings, const std::function<bool(const std::string& path)>& fileExists);

// The menu entry: the file's name, a tab, the time; ampersands doubled so that
// none becomes a shortcut letter.
std::string RecentCaptureLabel(const RecentCapture& entry);

}  // namespace vistrel
