#include <windows.h>

#include "engine_texts.h"
#include "library_message.h"

namespace vistlib {
namespace {

void MessageBoxFunction(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kProgramTitle, MB_OK | MB_TASKMODAL);
}

MessageFunction g_function = MessageBoxFunction;

}  // namespace

void ShowMessage(const std::string& text) { g_function(text); }

MessageFunction ReplaceMessageFunction(MessageFunction function) {
  MessageFunction previous = g_function;
  g_function = function != nullptr ? function : MessageBoxFunction;
  return previous;
}

}  // namespace vistlib
