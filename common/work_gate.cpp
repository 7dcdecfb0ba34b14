#include "work_gate.h"

#include <exception>
#include <utility>
#include <vector>

namespace vistrel {

namespace {

int depth = 0;

std::vector<std::function<void()>>& Waiting() {
  static std::vector<std::function<void()>> waiting;
  return waiting;
}

std::function<void(const char*)>& FailureHandler() {
  static std::function<void(const char*)> handler;
  return handler;
}

void RunReporting(const std::function<void()>& action) noexcept {
  try {
    action();
  } catch (const std::exception& error) {
    try {
      if (FailureHandler()) FailureHandler()(error.what());
    } catch (...) {
    }
  } catch (...) {
    try {
      if (FailureHandler()) FailureHandler()("unknown error");
    } catch (...) {
    }
  }
}

}  // namespace

WorkScope::WorkScope() { ++depth; }

WorkScope::~WorkScope() {
  if (--depth > 0) return;
  // What waited runs with no work running, so that a close it repeats is done
  // at once; work it starts runs under its own scope.
  std::vector<std::function<void()>> now = std::exchange(Waiting(), {});
  for (const auto& action : now) RunReporting(action);
}

bool WorkRunning() { return depth > 0; }

void AfterWork(std::function<void()> action) {
  if (!action) return;
  if (depth == 0) {
    action();
    return;
  }
  Waiting().push_back(std::move(action));
}

void SetAfterWorkFailureHandler(std::function<void(const char* what)> handler) {
  FailureHandler() = std::move(handler);
}

}  // namespace vistrel
