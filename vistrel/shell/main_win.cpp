// The program's entry: COM for the conversion component, Mainform's start-up,
// and the message loop it idles in.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include "command_line_win.h"
#include "leftover_files_win.h"
#include "mainform_win.h"
#include "startup_texts.h"
#include "wizard_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  const std::string arguments = vistrel::ArgumentsOf(GetCommandLineA());
  // A command for scripts is carried out here and ends the process with its status.
  std::optional<vistrel::CaptureCommand> startupCommand;
  if (std::optional<int> status = vistrel::RunCommandLine(arguments, startupCommand)) {
    OleUninitialize();
    return *status;
  }
  vistrel::Mainform& mainform = vistrel::Mainform::Instance();
  if (!mainform.Load(instance, arguments, startupCommand)) {
    OleUninitialize();
    return 0;
  }
  vistrel::RemoveLeftoversAtStart();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (vistrel::wizard::IsWizardDialogMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Only the quit procedure ends the program; a stray WM_QUIT does it the same way.
  mainform.Quit();
}
