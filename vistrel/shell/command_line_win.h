#pragma once
// The command line on the real system: the console of the program that
// started us, the hand-over of a capture to the running program (WM_COPYDATA
// both ways), and the capture of an area into a file or the clipboard.
#include <windows.h>

#include <optional>
#include <string>

#include "command_line.h"

namespace vistrel {

// The running program's main window class and its one-instance mutex.
inline constexpr char kMainWindowClass[] = "VistrelMainform";
inline constexpr char kSingleInstanceMutex[] = "Tarnwick.Vistrel.SingleInstance";

// WM_COPYDATA tags: a command for the running program, and its answer.
inline constexpr ULONG_PTR kCommandRequestTag = 0x56434D44;  // "VCMD"
inline constexpr ULONG_PTR kCommandReplyTag = 0x56524550;    // "VREP"
// What the running program answers the request itself with.
inline constexpr LRESULT kRequestAccepted = 1;
inline constexpr LRESULT kRequestNotReady = 2;  // still starting: ask again
inline constexpr LRESULT kRequestBusy = 3;      // another capture is under way

struct CommandResult {
  int status = kExitOk;
  std::string message;
};

// Deals with the command line before the program starts. Returns the exit
// status when the command was carried out here (help, a bad argument, a
// capture handed to the running program or taken without one); nothing when
// the program starts as usual, with `startupCommand` set when it must then run
// that capture (a wizard capture with no program running).
std::optional<int> RunCommandLine(const std::string& arguments,
                                  std::optional<CaptureCommand>& startupCommand);

// The checks against this system's screen and folders.
CheckedCommand CheckOnThisSystem(const CaptureCommand& command);

// Captures the command's area now and writes it where the command says (not
// for --wizard, which the main window runs).
CommandResult CaptureToOutputs(HWND owner, const CaptureCommand& command);

// Sends a finished command's result back to the window that asked for it.
void ReplyToCommand(HWND replyWindow, const CommandResult& result);

}  // namespace vistrel
