// Init, Quit and the Print Screen hot key: the capture command reaches the
// program's window synchronously, only for the engine's own identifier, and
// nothing is left registered after Quit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine_state_win.h"
#include "engine_test_support_win.h"
#include "engine_texts.h"
#include "library_message.h"
#include "msg_form_win.h"
#include "vistlib.h"

namespace {

using enginetest::MessageRecorder;
using enginetest::NotifyWindow;
using enginetest::PumpUntil;

class HotkeyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Quit();
    SetHotkey("Print Screen");
  }

  void StartEngine() { Init(reinterpret_cast<vistlib::WindowHandle>(notify.get())); }
  HWND MsgForm() const { return vistlib::Engine().MsgForm->Handle(); }
  bool IsCaptureCommand(const NotifyWindow::Move& move) const {
    return static_cast<DWORD>(move.wParam) == 0xFFFFFF85 &&
           static_cast<DWORD>(move.lParam) == 0xFFFFFE38;
  }
  // Whether this test's window can have Print Screen now.
  bool PrintScreenIsFree() {
    if (!RegisterHotKey(notify.get(), 7, 0, VK_SNAPSHOT)) return false;
    UnregisterHotKey(notify.get(), 7);
    return true;
  }

  MessageRecorder messages;
  NotifyWindow notify;
};

TEST_F(HotkeyTest, InitTakesPrintScreenUnderTheAtomAndQuitGivesBothBack) {
  ASSERT_TRUE(PrintScreenIsFree());
  StartEngine();
  EXPECT_TRUE(messages.Messages().empty());
  ATOM atom = vistlib::Engine().HotkeyAtom;
  EXPECT_NE(atom, 0);
  EXPECT_EQ(GlobalFindAtomA("PrintScreen"), atom);
  EXPECT_EQ(vistlib::Engine().NotifyWindow, notify.get());
  EXPECT_FALSE(PrintScreenIsFree());

  HWND form = MsgForm();
  EXPECT_FALSE(IsWindowVisible(form));
  char caption[16] = "x";
  GetWindowTextA(form, caption, sizeof caption);
  EXPECT_STREQ(caption, "");
  RECT rect;
  GetWindowRect(form, &rect);
  EXPECT_EQ(rect.right - rect.left, 1);
  EXPECT_EQ(rect.bottom - rect.top, 1);
  // A top-level window, so the capture's walk can start from it.
  EXPECT_EQ(GetAncestor(form, GA_PARENT), GetDesktopWindow());

  Quit();
  EXPECT_FALSE(IsWindow(form));
  EXPECT_TRUE(PrintScreenIsFree());
  EXPECT_EQ(GlobalFindAtomA("PrintScreen"), 0);
}

TEST_F(HotkeyTest, HotkeyMessageSendsTheCaptureCommandBeforeItReturns) {
  StartEngine();
  SendMessageA(MsgForm(), WM_HOTKEY, vistlib::Engine().HotkeyAtom, MAKELPARAM(0, VK_SNAPSHOT));
  ASSERT_EQ(notify.moves.size(), 1u);
  EXPECT_TRUE(IsCaptureCommand(notify.moves[0]));
  // Read as a mouse position, the command is x = -456.
  EXPECT_EQ(static_cast<short>(LOWORD(notify.moves[0].lParam)), -456);
}

TEST_F(HotkeyTest, HotkeyMessageWithAnotherIdentifierSendsNothing) {
  StartEngine();
  ATOM atom = vistlib::Engine().HotkeyAtom;
  for (WPARAM other : {WPARAM{0}, WPARAM{1}, WPARAM{atom + 1u}, WPARAM{0xBFFF}}) {
    SendMessageA(MsgForm(), WM_HOTKEY, other, MAKELPARAM(0, VK_SNAPSHOT));
    PostMessageA(MsgForm(), WM_HOTKEY, other, MAKELPARAM(0, VK_SNAPSHOT));
  }
  enginetest::Drain(notify.get());
  EXPECT_TRUE(notify.moves.empty());
}

TEST_F(HotkeyTest, PressingPrintScreenNotifiesUntilQuit) {
  StartEngine();
  enginetest::PressKey(VK_SNAPSHOT);
  ASSERT_TRUE(PumpUntil([&] { return !notify.moves.empty(); }))
      << "the key press did not reach the program's window";
  EXPECT_TRUE(IsCaptureCommand(notify.moves[0]));

  Quit();
  notify.moves.clear();
  // The key is free again: this window takes it, and a press arrives here
  // rather than as a capture command.
  ASSERT_TRUE(RegisterHotKey(notify.get(), 9, 0, VK_SNAPSHOT));
  enginetest::PressKey(VK_SNAPSHOT);
  bool arrived = PumpUntil([&] { return !notify.hotkeys.empty(); });
  UnregisterHotKey(notify.get(), 9);
  ASSERT_TRUE(arrived);
  EXPECT_TRUE(notify.moves.empty());
}

TEST_F(HotkeyTest, PrintScreenHeldByAnotherProgramGivesTheSecondMessageOnceAndInitCompletes) {
  enginetest::OtherProcessHoldsPrintScreen other;
  ASSERT_TRUE(other.holding());
  StartEngine();
  ASSERT_EQ(messages.Messages().size(), 1u);
  // The known text, then the cause: no snipping setting here, so another program.
  EXPECT_EQ(messages.Messages()[0].rfind(vistlib::kHotkeyErrorText, 0), 0u);
  EXPECT_NE(messages.Messages()[0].find("Another program holds the Print Screen key"),
            std::string::npos);
  // Init went on: the engine runs and captures still work.
  EXPECT_TRUE(vistlib::Engine().running);
  Cheese("0");
  EXPECT_FALSE(vistlib::Engine().CaptureBitmap.Empty());
  Quit();
  // Quit does not take the key from its holder.
  EXPECT_FALSE(PrintScreenIsFree());
}

TEST_F(HotkeyTest, ClosingTheMessageWindowReleasesTheHotkey) {
  StartEngine();
  SendMessageA(MsgForm(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(PrintScreenIsFree());
  EXPECT_EQ(GlobalFindAtomA("PrintScreen"), 0);
}

TEST_F(HotkeyTest, SecondInitStartsOverWithOneMessageWindow) {
  StartEngine();
  HWND first = MsgForm();
  StartEngine();
  EXPECT_TRUE(messages.Messages().empty()) << messages.Messages()[0];
  EXPECT_FALSE(IsWindow(first));
  SendMessageA(MsgForm(), WM_HOTKEY, vistlib::Engine().HotkeyAtom, 0);
  EXPECT_EQ(notify.moves.size(), 1u);
}

TEST_F(HotkeyTest, GiveActiveWindowBeforeAnyCaptureGivesZeros) {
  StartEngine();
  Cheese("0");
  // A new engine has no capture yet, whatever an earlier one took.
  Quit();
  StartEngine();
  vistrel::Rect rect{1, 2, 3, 4};
  GiveActiveWindow(&rect);
  EXPECT_EQ(rect, (vistrel::Rect{0, 0, 0, 0}));
  GiveActiveWindow(nullptr);
  // The table is there, empty, with a name at every index.
  const vistlib::WindowTable& table = vistlib::Engine().Table;
  EXPECT_EQ(table.WindowCount, 0);
  ASSERT_EQ(table.WindowNames.size(), 64u);
  EXPECT_EQ(table.WindowNames[63], "No Info");
}

TEST_F(HotkeyTest, ExportsAfterQuitDoNoHarm) {
  StartEngine();
  Quit();
  Cheese("1");
  Transfer();
  Quit();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_TRUE(vistlib::Engine().CaptureBitmap.Empty());
}

// Print Screen held elsewhere: the key chosen in Setup captures instead, and a
// key taken while the engine runs moves the hot key at once.
TEST_F(HotkeyTest, TheChosenKeyCapturesWhilePrintScreenIsHeldElsewhere) {
  enginetest::OtherProcessHoldsPrintScreen other;
  ASSERT_TRUE(other.holding());
  SetHotkey("Ctrl+Shift+S");
  StartEngine();
  EXPECT_TRUE(messages.Messages().empty()) << messages.Messages()[0];
  INPUT keys[6]{};
  const WORD order[3] = {VK_CONTROL, VK_SHIFT, 'S'};
  for (int i = 0; i < 3; ++i) {
    keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
    keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, keys, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return !notify.moves.empty(); }))
      << "Ctrl+Shift+S did not reach the program's window";
  EXPECT_TRUE(IsCaptureCommand(notify.moves[0]));

  // Back to the held Print Screen while running: said at once, with its cause.
  SetHotkey("Print Screen");
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].rfind(vistlib::kHotkeyErrorText, 0), 0u);
  // A name that is no choice changes nothing.
  SetHotkey("Ctrl+Q");
  EXPECT_EQ(vistlib::Engine().CaptureKeyText, "Print Screen");
}

// The system's snipping tool may own Print Screen through a per-user value.
// The user is asked before it is turned off, and nothing else changes.
class SnippingSettingTest : public HotkeyTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Keyboard", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    Set("PrintScreenKeyForSnippingEnabled", 1);
    Set("SnippingNeighbour", 1);
    questions().clear();
    previous_ = vistlib::ReplaceQuestionFunction(&Answer);
  }
  void TearDown() override {
    HotkeyTest::TearDown();
    vistlib::ReplaceQuestionFunction(previous_);
    RegDeleteValueA(key_, "PrintScreenKeyForSnippingEnabled");
    RegDeleteValueA(key_, "SnippingNeighbour");
    RegCloseKey(key_);
  }
  void Set(const char* name, DWORD value) {
    RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  DWORD Get(const char* name) {
    DWORD value = 99, size = sizeof value;
    RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    return value;
  }
  static std::vector<std::string>& questions() {
    static std::vector<std::string> asked;
    return asked;
  }
  static bool& answer() {
    static bool yes = false;
    return yes;
  }
  static bool Answer(const std::string& text) {
    questions().push_back(text);
    return answer();
  }

  HKEY key_ = nullptr;
  vistlib::QuestionFunction previous_ = nullptr;
};

TEST_F(SnippingSettingTest, AskedOnceNamingTheSettingAndTurnedOffOnlyOnYes) {
  answer() = false;
  StartEngine();
  ASSERT_EQ(questions().size(), 1u);
  EXPECT_NE(questions()[0].find("PrintScreenKeyForSnippingEnabled"), std::string::npos);
  EXPECT_NE(questions()[0].find("HKEY_CURRENT_USER\\Control Panel\\Keyboard"), std::string::npos);
  EXPECT_EQ(Get("PrintScreenKeyForSnippingEnabled"), 1u) << "No leaves the setting alone";
  EXPECT_TRUE(messages.Messages().empty());
  Quit();

  answer() = true;
  StartEngine();
  EXPECT_EQ(questions().size(), 2u);
  EXPECT_EQ(Get("PrintScreenKeyForSnippingEnabled"), 0u);
  EXPECT_EQ(Get("SnippingNeighbour"), 1u) << "only the one value changes";
  EXPECT_TRUE(messages.Messages().empty());
  Quit();

  // Once off, nobody is asked again.
  StartEngine();
  EXPECT_EQ(questions().size(), 2u);
}

TEST_F(SnippingSettingTest, HeldKeyAndTheSettingAreSaidInOneQuestion) {
  enginetest::OtherProcessHoldsPrintScreen other;
  ASSERT_TRUE(other.holding());
  answer() = true;
  StartEngine();
  ASSERT_EQ(questions().size(), 1u);
  EXPECT_EQ(questions()[0].rfind(vistlib::kHotkeyErrorText, 0), 0u);
  EXPECT_NE(questions()[0].find("PrintScreenKeyForSnippingEnabled"), std::string::npos);
  EXPECT_EQ(Get("PrintScreenKeyForSnippingEnabled"), 0u);
  // The key is still held by the other program after the setting went off: said once more.
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].find("Another program holds the Print Screen key"),
            std::string::npos);
}

}  // namespace
