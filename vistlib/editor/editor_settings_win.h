#pragma once
// The editor's placement and last tool, kept as REG_DWORD values under the
// current user's Software\Tarnwick\Vistrel\VistrelEditor. A key that cannot
// be opened or written, or a value of another type, leaves the defaults.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace vistlib {

extern const char kEditorKey[];

struct EditorSettings {
  std::optional<int32_t> top, left, width, height;
  std::optional<int32_t> lastTool;  // missing: the window selector
};

EditorSettings LoadEditorSettings();
// `lastTool` is written only when set.
void SaveEditorSettings(const RECT& window, std::optional<int32_t> lastTool);

}  // namespace vistlib
