#pragma once
// Message boxes answered from a second thread in tests that drive code which shows them.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vistrel::testing {

inline std::string WindowText(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// Answers message boxes of one caption from a second thread and keeps their texts.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(const char* caption) {
    thread_ = std::thread([this, caption] {
      while (!stop_) {
        HWND box = FindWindowA("#32770", caption);
        if (box != nullptr && IsWindowVisible(box)) {
          std::string text;
          for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") == 0 && !WindowText(child).empty()) text = WindowText(child);
          }
          {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
          }
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          // Wait for this box to go before looking for the next.
          for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
        }
        Sleep(20);
      }
    });
  }
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

}  // namespace vistrel::testing
