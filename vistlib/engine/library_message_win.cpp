#include <windows.h>

#include "engine_texts.h"
#include "library_message.h"

namespace vistlib {
namespace {

void MessageBoxFunction(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kProgramTitle, MB_OK | MB_TASKMODAL);
}

MessageFunction g_function = MessageBoxFunction;

bool QuestionBoxFunction(const std::string& text) {
  return MessageBoxA(nullptr, text.c_str(), kProgramTitle,
                     MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

QuestionFunction g_question = QuestionBoxFunction;

}  // namespace

void ShowMessage(const std::string& text) { g_function(text); }

MessageFunction ReplaceMessageFunction(MessageFunction function) {
  MessageFunction previous = g_function;
  g_function = function != nullptr ? function : MessageBoxFunction;
  return previous;
}

bool AskQuestion(const std::string& text) { return g_question(text); }

QuestionFunction ReplaceQuestionFunction(QuestionFunction function) {
  QuestionFunction previous = g_question;
  g_question = function != nullptr ? function : QuestionBoxFunction;
  return previous;
}

}  // namespace vistlib
