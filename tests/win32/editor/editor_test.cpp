// VisEdit on a real capture: a timer posts the clicks and closes the window
// from inside the editor's modal loop, as a user would, and the image that
// Transfer hands out afterwards is checked pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_res.h"
#include "editor_settings_win.h"
#include "engine_state_win.h"
#include "engine_test_support_win.h"
#include "text_fit_win.h"
#include "vistlib.h"

namespace {

using enginetest::Pixels;
using enginetest::Rgb;

// Runs steps one per timer tick inside VisEdit's loop; a step returning false
// is tried again on the next tick. Past the deadline the editor is closed.
class Script {
 public:
  using Step = std::function<bool()>;
  explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &Script::Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* self = current_;
    if (self == nullptr || self->running_) return;
    self->running_ = true;
    if (self->next_ < self->steps_.size() && self->steps_[self->next_]()) ++self->next_;
    if (++self->ticks_ > 600) {  // 30 s
      if (HWND form = FindWindowA("TVisEditForm", nullptr)) PostMessageA(form, WM_CLOSE, 0, 0);
    }
    self->running_ = false;
  }
  static inline Script* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  bool running_ = false;
  UINT_PTR timer_ = 0;
};

HWND Form() {
  HWND form = FindWindowA("TVisEditForm", nullptr);
  return form != nullptr && IsWindowVisible(form) ? form : nullptr;
}
HWND Panel() { return GetDlgItem(Form(), IDC_PANEL2); }
std::string Info() {
  char text[256] = {};
  GetWindowTextA(GetDlgItem(Form(), IDC_INFOLBL), text, sizeof text);
  return text;
}
void Command(int id) { SendMessageA(Form(), WM_COMMAND, id, 0); }
void Mouse(UINT message, int x, int y, WPARAM keys = 0) {
  SendMessageA(Panel(), message, keys, MAKELPARAM(x, y));
}
bool Checked(int bar, int button) {
  return SendMessageA(GetDlgItem(Form(), bar), TB_ISBUTTONCHECKED, button, 0) != 0;
}
Pixels ClipboardPixels() {
  Pixels pixels;
  if (!OpenClipboard(nullptr)) return pixels;
  pixels = enginetest::ReadPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  CloseClipboard();
  return pixels;
}
// What the image panel shows now, after any pending paint.
Pixels PanelPixels() {
  HWND panel = Panel();
  UpdateWindow(panel);
  RECT client{};
  GetClientRect(panel, &client);
  HDC dc = GetDC(panel);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP shot = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(panel, dc);
  Pixels pixels = enginetest::ReadPixels(shot);
  DeleteObject(shot);
  return pixels;
}
// The part of the panel the image may cover, less room for its scroll bars.
struct Area {
  int width, height;
};
Area ImageArea(const Pixels& panel) {
  return {panel.width - GetSystemMetrics(SM_CXVSCROLL),
          panel.height - GetSystemMetrics(SM_CYHSCROLL)};
}
void Clicks(int count) {
  for (int i = 0; i < count; ++i) {
    Mouse(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 5, 5);
  }
}
DWORD StoredDword(const char* name, DWORD* type) {
  DWORD value = 0, size = sizeof value;
  *type = REG_NONE;
  RegGetValueA(HKEY_CURRENT_USER, vistlib::kEditorKey, name, RRF_RT_ANY, type, &value, &size);
  return value;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, vistlib::kEditorKey);
    // The pointer away from where the editor opens: a real move over its
    // tool bars would empty the status label the tests read.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Init(reinterpret_cast<vistlib::WindowHandle>(notify.get()));
  }
  void TearDown() override {
    Quit();
    RegDeleteKeyA(HKEY_CURRENT_USER, vistlib::kEditorKey);
  }
  Pixels Capture() {
    enginetest::Drain(notify.get());
    Sleep(300);  // the X server paints the new window
    enginetest::Drain(notify.get());
    Cheese("0");
    return enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  }
  enginetest::MessageRecorder messages;
  enginetest::NotifyWindow notify;
};

TEST_F(EditorTest, SelectFillWhiteCloseAndTransferCarriesNoMarks) {
  enginetest::PaintedWindow target("editor target", {100, 120, 260, 220}, RGB(200, 30, 40));
  const Pixels before = Capture();
  std::string hoverText, sizeText;
  bool zoomInDownAfterLoad = true;
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        zoomInDownAfterLoad = Checked(IDC_UNDERTOOLBAR, IDC_ZOOMIN);
        Mouse(WM_MOUSEMOVE, 150, 150);
        hoverText = Info();
        Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 150, 150);
        Command(IDM_FILL_WHITE);
        // A manual rectangle stays selected (inverted) until the close.
        Command(IDC_GETMANUALSELECTION);
        Mouse(WM_LBUTTONDOWN, 40, 30, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, 10, 10, MK_LBUTTON);
        sizeText = Info();
        Mouse(WM_LBUTTONUP, 10, 10);
        Command(IDC_ZOOMIN);
        Command(IDC_UNLOADBUTTON);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  for (const std::string& m : enginetest::MessageRecorder::Messages()) ADD_FAILURE() << m;
  ASSERT_TRUE(script.Finished());
  EXPECT_FALSE(zoomInDownAfterLoad);  // no stored tool: the window selector
  EXPECT_EQ(hoverText, " Windowname: editor target");
  EXPECT_EQ(sizeText, "-30x-20 Pixel");
  EXPECT_EQ(Form(), nullptr);

  DWORD type = 0;
  EXPECT_EQ(StoredDword("LastTool", &type), 2u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_GE(StoredDword("Width", &type), 460u);

  Transfer();
  const Pixels after = ClipboardPixels();
  ASSERT_EQ(after.width, before.width);
  int wrong = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      const bool inside = x >= 100 && x < 260 && y >= 120 && y < 220;
      const uint32_t expected = inside ? Rgb(255, 255, 255) : before.At(x, y);
      wrong += after.At(x, y) != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(EditorTest, ReopensWithStoredToolAndSurvivesBadValuesAndArguments) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, vistlib::kEditorKey, 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD two = 2;
  RegSetValueExA(key, "LastTool", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), sizeof two);
  RegSetValueExA(key, "Width", 0, REG_SZ, reinterpret_cast<const BYTE*>("wide"), 5);
  RegCloseKey(key);
  Capture();

  bool zoomInDown = false;
  std::string zoomText, afterCancel, sizeText, refusedZoom;
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        zoomInDown = Checked(IDC_UNDERTOOLBAR, IDC_ZOOMIN);
        Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 20, 20);
        zoomText = Info();
        // The exact-zoom box, cancelled from the next tick.
        PostMessageA(Form(), WM_COMMAND, IDM_EXACTZOOM, 0);
        return true;
      },
      [&] {
        HWND box = FindWindowA("#32770", "Exact zoomer");
        if (box == nullptr) return false;
        SetDlgItemTextA(box, IDC_EXACTZOOM_EDIT, "900");
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
      [&] {
        if (FindWindowA("#32770", "Exact zoomer") != nullptr) return false;
        afterCancel = Info();
        Command(IDC_GETMANUALSELECTION);
        Mouse(WM_LBUTTONDOWN, 0, 0, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, 125, 50, MK_LBUTTON);  // 100 x 40 image pixels at 125 %
        sizeText = Info();
        Mouse(WM_LBUTTONUP, 125, 50);
        PostMessageA(Form(), WM_CLOSE, 0, 0);
        return true;
      },
  });
  VisEdit("abc", "15", "Inch");  // not a number: sizes in pixels
  ASSERT_TRUE(script.Finished());
  EXPECT_TRUE(zoomInDown);
  EXPECT_EQ(zoomText, "Zoom: 125%");
  EXPECT_EQ(afterCancel, "Zoom: 125%");
  EXPECT_EQ(sizeText, "100x40 Pixel");
  DWORD type = 0;
  EXPECT_EQ(StoredDword("LastTool", &type), 1u);
}

// Moved onto a monitor of another DPI, the editor takes the suggested
// rectangle, its panels, button and faces scale, and every text still fits.
TEST_F(EditorTest, FollowsAChangeOfDpiThereAndBack) {
  Capture();
  struct Seen {
    int frameWidth, buttonWidth, buttonHeight, panelTop, face;
    std::string clipped;
  };
  std::vector<Seen> seen;
  auto look = [&] {
    RECT frame{}, button{}, panel{};
    GetWindowRect(Form(), &frame);
    GetWindowRect(GetDlgItem(Form(), IDC_UNLOADBUTTON), &button);
    GetWindowRect(Panel(), &panel);
    MapWindowPoints(nullptr, Form(), reinterpret_cast<POINT*>(&panel), 2);  // client places
    LOGFONTA face{};
    GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(Form(), IDC_INFOLBL, WM_GETFONT, 0, 0)),
               sizeof face, &face);
    const textfit::Check check = textfit::Measure(Form());
    seen.push_back({static_cast<int>(frame.right - frame.left),
                    static_cast<int>(button.right - button.left),
                    static_cast<int>(button.bottom - button.top),
                    static_cast<int>(panel.top), std::abs(static_cast<int>(face.lfHeight)),
                    check.checked == 0 ? "nothing checked" : check.report});
  };
  auto change = [&](int dpi) {
    RECT frame{};
    GetWindowRect(Form(), &frame);
    RECT suggested = {frame.left, frame.top, frame.left + MulDiv(seen[0].frameWidth, dpi, 96),
                      frame.bottom};
    SendMessageA(Form(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    look();
  };
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        look();
        change(192);
        change(96);
        PostMessageA(Form(), WM_CLOSE, 0, 0);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  ASSERT_TRUE(script.Finished());
  ASSERT_EQ(seen.size(), 3u);
  for (const int i : {0, 1, 2}) {
    const int dpi = i == 1 ? 192 : 96;
    SCOPED_TRACE(dpi);
    EXPECT_EQ(seen[i].frameWidth, MulDiv(seen[0].frameWidth, dpi, 96));
    EXPECT_EQ(seen[i].buttonWidth, MulDiv(seen[0].buttonWidth, dpi, 96));
    EXPECT_EQ(seen[i].buttonHeight, MulDiv(seen[0].buttonHeight, dpi, 96));
    EXPECT_NEAR(seen[i].panelTop, MulDiv(seen[0].panelTop, dpi, 96), 2);
    EXPECT_NEAR(seen[i].face, MulDiv(seen[0].face, dpi, 96), 1);  // points, rounded
    EXPECT_EQ(seen[i].clipped, "");
  }
}

TEST_F(EditorTest, ZoomingOutAndInAgainDrawsTheCaptureAtItsOwnSize) {
  // Edges the drawn picture can be checked by.
  enginetest::PaintedWindow red("editor red", {100, 120, 260, 220}, RGB(200, 30, 40));
  enginetest::PaintedWindow green("editor green", {300, 60, 331, 400}, RGB(20, 180, 40));
  const Pixels before = Capture();
  std::string zoomText;
  Pixels shown;
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        Command(IDC_ZOOMOUT);
        Clicks(25);
        Command(IDC_ZOOMIN);
        Clicks(25);
        zoomText = Info();
        shown = PanelPixels();
        PostMessageA(Form(), WM_CLOSE, 0, 0);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  ASSERT_TRUE(script.Finished());
  EXPECT_EQ(zoomText, "Zoom: 100%");
  // At 100 % again the panel shows the capture pixel for pixel from its origin.
  const Area area = ImageArea(shown);
  ASSERT_GT(area.width, 400);
  ASSERT_GT(area.height, 300);
  int wrong = 0;
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x) wrong += shown.At(x, y) != before.At(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(EditorTest, AManualRectangleAfterZoomingFillsThePixelsItsBandOutlined) {
  enginetest::PaintedWindow red("editor red", {100, 120, 260, 220}, RGB(200, 30, 40));
  Capture();
  std::string zoomText;
  Pixels unmarked, band, selected, filled;
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        // Out and in again to 195 %, where image pixels are one or two view pixels wide.
        Command(IDC_ZOOMOUT);
        Clicks(20);
        Command(IDC_ZOOMIN);
        Clicks(23);
        zoomText = Info();
        Command(IDC_GETMANUALSELECTION);
        unmarked = PanelPixels();
        Mouse(WM_LBUTTONDOWN, 33, 47, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, 311, 205, MK_LBUTTON);
        band = PanelPixels();  // the rubber band, inverted over the picture
        Mouse(WM_LBUTTONUP, 311, 205);
        selected = PanelPixels();  // the selection, inverted in the picture
        Command(IDM_FILL_WHITE);
        filled = PanelPixels();
        PostMessageA(Form(), WM_CLOSE, 0, 0);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  ASSERT_TRUE(script.Finished());
  EXPECT_EQ(zoomText, "Zoom: 195%");
  const Area area = ImageArea(unmarked);
  int inBand = 0, selectedElsewhere = 0, fillOutside = 0, fillUneven = 0;
  uint32_t fillColour = 0;
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const bool marked = band.At(x, y) != unmarked.At(x, y);
      if (marked && inBand++ == 0) fillColour = filled.At(x, y);
      selectedElsewhere += selected.At(x, y) != band.At(x, y);
      if (marked) {
        fillUneven += filled.At(x, y) != fillColour;
      } else {
        fillOutside += filled.At(x, y) != unmarked.At(x, y);
      }
    }
  }
  // The band from (33, 47) to (311, 205) in the panel.
  EXPECT_EQ(inBand, (311 - 33) * (205 - 47));
  EXPECT_EQ(selectedElsewhere, 0) << "the selection is drawn where the band was not";
  EXPECT_EQ(fillUneven, 0) << "the fill left pixels of the band unfilled";
  EXPECT_EQ(fillOutside, 0) << "the fill reached pixels outside the band";
}

// The keys of the marks, through the editor's own loop: Alt and a tool's
// letter picks it, arrows move the selected mark (Shift: ten pixels), Delete
// removes it, Ctrl+Z brings it back; the mark is drawn into what Transfer
// hands out.
TEST_F(EditorTest, KeysPickToolsMoveDeleteAndUndoAMark) {
  enginetest::PaintedWindow white("editor white", {0, 0, 300, 200}, RGB(255, 255, 255));
  const Pixels before = Capture();
  bool rectangleDown = false, goneAfterDelete = false;
  // The shift keys as the editor's thread reads them, then the key itself.
  auto hold = [](bool shift, bool control) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(state);
  };
  auto key = [&](WPARAM vk, bool shift = false, bool control = false) {
    hold(shift, control);
    PostMessageA(Form(), WM_KEYDOWN, vk, 1);
  };
  Pixels deleted;
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        PostMessageA(Form(), WM_SYSCHAR, 't', 1 << 29);
        return true;
      },
      [&] {
        rectangleDown = Checked(IDC_MARKBAR, IDC_MARKRECTANGLE);
        Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, 80, 60, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 80, 60);
        key(VK_RIGHT);
        return true;
      },
      [&] {
        key(VK_DOWN, true);
        return true;
      },
      [&] {
        key(VK_DELETE);
        return true;
      },
      [&] {
        deleted = PanelPixels();
        goneAfterDelete = deleted.At(21, 50) == before.At(21, 50);
        key('Z', false, true);
        return true;
      },
      [&] {
        hold(false, false);
        PostMessageA(Form(), WM_COMMAND, IDC_UNLOADBUTTON, 0);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  ASSERT_TRUE(script.Finished());
  EXPECT_TRUE(rectangleDown);
  EXPECT_TRUE(goneAfterDelete);
  Transfer();
  const Pixels after = ClipboardPixels();
  ASSERT_EQ(after.width, before.width);
  // Moved by (1, 10): the left edge, 3 pixels wide, is at x 20..22 now.
  const uint32_t red = Rgb(255, 0, 0);
  EXPECT_EQ(after.At(21, 50), red);
  EXPECT_EQ(after.At(19, 50), before.At(19, 50));
  EXPECT_EQ(after.At(50, 30), red);  // the top edge, at y 30
  EXPECT_EQ(after.At(50, 20), before.At(50, 20));
}

// The redaction reaches what Transfer hands out: nothing of the picked window
// is left, and the pixels around it are the capture's.
TEST_F(EditorTest, ARedactedWindowLeavesNoPixelOfItsOwn) {
  enginetest::PaintedWindow target("editor secret", {100, 120, 260, 220}, RGB(200, 30, 40));
  const Pixels before = Capture();
  Script script({
      [&] { return Form() != nullptr; },
      [&] {
        Mouse(WM_MOUSEMOVE, 150, 150);
        Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 150, 150);
        // Both through the queue, the close right behind: it waits its turn.
        PostMessageA(Form(), WM_COMMAND, IDM_REDACT_MOSAIC, 0);
        PostMessageA(Form(), WM_COMMAND, IDC_UNLOADBUTTON, 0);
        return true;
      },
  });
  VisEdit("1", "1", "Pixel");
  ASSERT_TRUE(script.Finished());
  Transfer();
  const Pixels after = ClipboardPixels();
  ASSERT_EQ(after.width, before.width);
  int kept = 0, wrongOutside = 0;
  for (int y = 110; y < 230; ++y)
    for (int x = 90; x < 270; ++x) {
      const bool inside = x >= 100 && x < 260 && y >= 120 && y < 220;
      if (inside) {
        kept += after.At(x, y) == before.At(x, y);
      } else {
        wrongOutside += after.At(x, y) != before.At(x, y);
      }
    }
  EXPECT_EQ(kept, 0);
  EXPECT_EQ(wrongOutside, 0);
}

}  // namespace
