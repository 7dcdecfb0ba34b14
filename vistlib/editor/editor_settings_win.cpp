#include "editor_settings_win.h"

namespace vistlib {

const char kEditorKey[] = "Software\\Tarnwick\\Vistrel\\VistrelEditor";

namespace {

class Key {
 public:
  Key() {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kEditorKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_CURRENT_USER, kEditorKey, 0, KEY_READ, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }

  std::optional<int32_t> Read(const char* name) const {
    DWORD type = 0, value = 0, size = sizeof value;
    if (key_ == nullptr ||
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
      return std::nullopt;
    }
    return static_cast<int32_t>(value);
  }

  void Write(const char* name, int32_t value) const {
    if (key_ == nullptr) return;
    const DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

EditorSettings LoadEditorSettings() {
  Key key;
  return {key.Read("Top"), key.Read("Left"), key.Read("Width"), key.Read("Height"),
          key.Read("LastTool")};
}

void SaveEditorSettings(const RECT& window, std::optional<int32_t> lastTool) {
  Key key;
  key.Write("Top", window.top);
  key.Write("Left", window.left);
  key.Write("Width", window.right - window.left);
  key.Write("Height", window.bottom - window.top);
  if (lastTool) key.Write("LastTool", *lastTool);
}

}  // namespace vistlib
