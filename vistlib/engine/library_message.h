#pragma once
// Every message box of the library goes through ShowMessage: a plain box with
// an OK button and the program title as its caption. Tests put a recorder in
// its place.
#include <string>

namespace vistlib {

using MessageFunction = void (*)(const std::string& text);

void ShowMessage(const std::string& text);

// Installs `function` (nullptr restores the message box); returns the one
// that was in place.
MessageFunction ReplaceMessageFunction(MessageFunction function);

// A question with Yes and No buttons; true for Yes.
using QuestionFunction = bool (*)(const std::string& text);
bool AskQuestion(const std::string& text);
QuestionFunction ReplaceQuestionFunction(QuestionFunction function);

}  // namespace vistlib
