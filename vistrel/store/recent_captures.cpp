#include "recent_captures.h"

#include <string_view>

#include "name_compare.h"

namespace vistrel {

namespace {

constexpr char kSection[] = "Divers";
constexpr char kKey[] = "RecentCaptures";
// Neither may appear in a Windows path.
constexpr char kEntryEnd = '|';
constexpr char kFieldEnd = '>';
constexpr size_t kLongestPath = 259;

bool IsTime(std::string_view t) {
  constexpr std::string_view kPattern = "0000-00-00 00:00";
  if (t.size() != kPattern.size()) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (kPattern[i] == '0' ? (t[i] < '0' || t[i] > '9') : t[i] != kPattern[i]) return false;
  }
  return true;
}

bool IsFullPath(std::string_view p) {
  if (p.size() < 4 || p.size() > kLongestPath) return false;
  for (char c : p) {
    if (static_cast<unsigned char>(c) < 32 || c == '"' || c == '<' || c == '>' || c == '|' ||
        c == '*' || c == '?')
      return false;
  }
  const bool drive =
      ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':' && p[2] == '\\';
  const bool share = p[0] == '\\' && p[1] == '\\' && p[2] != '\\';
  return (drive || share) && p.back() != '\\';
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Write(SettingsStore& settings, const std::vector<RecentCapture>& entries) {
  std::string text;
  for (const RecentCapture& entry : entries) {
    text += entry.time + kFieldEnd + entry.path + kEntryEnd;
  }
  settings.SaveSetting(kSection, kKey, text);
}

}  // namespace

std::vector<RecentCapture> ReadRecentCaptures(const SettingsStore& settings) {
  const std::string text = settings.GetSetting(kSection, kKey, "");
  std::vector<RecentCapture> entries;
  size_t start = 0;
  while (start < text.size() && entries.size() < kRecentCapturesKept) {
    size_t end = text.find(kEntryEnd, start);
    if (end == std::string::npos) end = text.size();
    const std::string_view entry(text.data() + start, end - start);
    const size_t field = entry.find(kFieldEnd);
    if (field != std::string_view::npos) {
      RecentCapture read{std::string(entry.substr(field + 1)), std::string(entry.substr(0, field))};
      bool repeated = false;
      for (const RecentCapture& kept : entries) repeated |= NamesEqual(kept.path, read.path);
      if (IsTime(read.time) && IsFullPath(read.path) && !repeated) entries.push_back(read);
    }
    start = end + 1;
  }
  return entries;
}

void RecordRecentCapture(SettingsStore& settings, const std::string& path,
                         const std::string& time) {
  if (!IsFullPath(path) || !IsTime(time)) return;
  std::vector<RecentCapture> entries{{path, time}};
  for (const RecentCapture& entry : ReadRecentCaptures(settings)) {
    if (entries.size() < kRecentCapturesKept && !NamesEqual(entry.path, path)) {
      entries.push_back(entry);
    }
  }
  Write(settings, entries);
}

std::vector<RecentCapture> PruneRecentCaptures(
    SettingsStore& settings, const std::function<bool(const std::string& path)>& fileExists) {
  const std::vector<RecentCapture> stored = ReadRecentCaptures(settings);
  std::vector<RecentCapture> kept;
  for (const RecentCapture& entry : stored) {
    if (fileExists(entry.path)) kept.push_back(entry);
  }
  if (kept.size() != stored.size()) Write(settings, kept);
  return kept;
}

std::string RecentCaptureLabel(const RecentCapture& entry) {
  std::string label;
  for (char c : FileName(entry.path)) {
    label += c;
    if (c == '&') label += '&';
  }
  return label + "\t" + entry.time;
}

}  // namespace vistrel
