// The main form's side of a capture asked for by another process (the command
// line): taking the request, running it, with its delay, and answering.
#include "command_line_win.h"
#include "countdown.h"
#include "event_pump_win.h"
#include "mainform_win.h"
#include "shell_ids.h"
#include "shell_state.h"
#include "startup_texts.h"
#include "wizard_win.h"

namespace vistrel {

LRESULT Mainform::CommandRequest(HWND replyWindow, const COPYDATASTRUCT& data) {
  if (!started_ || !splashDone_) return kRequestNotReady;
  if (WorkRunning() || countdown_.Active() || command_) return kRequestBusy;
  const char* text = static_cast<const char*>(data.lpData);
  if (text == nullptr || data.cbData == 0) return 0;
  const ParsedCommand parsed =
      DecodeCaptureCommand(std::string_view(text, strnlen(text, data.cbData)));
  if (parsed.kind != CommandKind::Capture) return 0;
  command_ = PendingCommand{replyWindow, parsed.capture};
  // Run after the sender's call returns: it waits for the answer with its own loop.
  PostMessageA(window_, ids::kRunCommandMessage, 0, 0);
  return kRequestAccepted;
}

void Mainform::RunCommand() {
  if (!command_) return;
  const CaptureCommand& command = command_->command;
  if (command.delayMs > 0 && !countdown_.Active()) {
    const int delay = command.delayMs;
    command_->command.delayMs = 0;
    countdown_.Start(
        delay, [this](int seconds) { tray_.SetTip(CountdownTip(seconds)); },
        [this](bool fired) {
          tray_.SetTip("");
          if (fired) {
            RunCommand();
          } else {
            FinishCommand(kExitFailed, "The capture was cancelled; nothing was captured.");
          }
        });
    return;
  }
  if (command.wizard) {
    if (DialogOpen) {
      FinishCommand(kExitFailed,
                    "Cannot capture while one of Vistrel's windows (setup, selector, first-use "
                    "tip) is open; nothing was captured.");
      return;
    }
    const bool opened = TakeCapture();
    FinishCommand(opened ? kExitOk : kExitFailed, opened ? "The wizard is open on the capture."
                                                         : "The capture did not reach the wizard.");
    return;
  }
  // The program's own windows stay out of the picture, as with Print Screen.
  const bool wizardShown = wizard::WizardVisible() && !IsShootYourself(arguments_);
  if (wizardShown) {
    wizard::HideWizard();
    LetScreenSettle(300);
  }
  const CommandResult result = [&] {
    WorkScope work;
    return CaptureToOutputs(window_, command);
  }();
  if (wizardShown) wizard::ShowWizard();
  FinishCommand(result.status, result.message);
}

void Mainform::FinishCommand(int status, const std::string& message) {
  if (!command_) return;
  const HWND replyWindow = command_->replyWindow;
  command_.reset();
  ReplyToCommand(replyWindow, {status, message});
}

}  // namespace vistrel
