#include "reg_tool_win.h"

#include <windows.h>

#include <sstream>

namespace vistrel::test {

int RunReg(const std::string& arguments, std::string* output) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string commandLine = "reg.exe " + arguments;
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return -1;
  }
  // Read until reg.exe closes its end, so a full pipe never stalls it.
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  CloseHandle(readEnd);
  DWORD exitCode = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (output != nullptr) *output = text;
  return static_cast<int>(exitCode);
}

std::optional<RegToolValue> RegQuery(const std::string& key, const std::string& name) {
  std::string output;
  if (RunReg("query \"" + key + "\" /v \"" + name + "\"", &output) != 0) return std::nullopt;
  // A value line reads "    <name>    <type>    <data>".
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t typeAt = line.find("    REG_");
    if (typeAt == std::string::npos) continue;
    RegToolValue value;
    const size_t typeEnd = line.find("    ", typeAt + 4);
    value.type = line.substr(
        typeAt + 4, typeEnd == std::string::npos ? std::string::npos : typeEnd - typeAt - 4);
    if (typeEnd != std::string::npos) value.data = line.substr(typeEnd + 4);
    return value;
  }
  return std::nullopt;
}

bool RegKeyExists(const std::string& key) { return RunReg("query \"" + key + "\"") == 0; }

}  // namespace vistrel::test
