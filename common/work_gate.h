#pragma once
// Work that lets window events run before it returns: a conversion, a send, a
// preview's load, the walk over hidden pages. Anything the user does meanwhile
// reaches the program's handlers in the middle of that work, so one rule holds
// for the whole program: while work runs, a command that would start other
// work is refused, and a window closed meanwhile closes once the work returns.
#include <functional>

namespace vistrel {

// Marks work as running for as long as it lives. Work may start more work
// directly (the walk saves and mails): scopes nest, and the outermost one, when
// it ends, runs what waited for the work.
class WorkScope {
 public:
  WorkScope();
  ~WorkScope();
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;
};

bool WorkRunning();

// Runs `action` now when no work runs; otherwise once the running work has
// returned, in the order they were asked for. An action that fails is reported
// through the handler below and does not stop the others.
void AfterWork(std::function<void()> action);

// Where a failure of a waiting action is reported (the program logs it).
void SetAfterWorkFailureHandler(std::function<void(const char* what)> handler);

}  // namespace vistrel
