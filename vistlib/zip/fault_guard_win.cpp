#include "fault_guard_win.h"

#include <windows.h>

namespace vistlib::zip {
namespace {

struct Guard {
  void* jump[5];  // __builtin_setjmp's buffer
#if defined(__i386__)
  void* exceptionList;  // the SEH chain to put back, frames past it are gone
#endif
  Guard* previous;
};

thread_local Guard* g_current = nullptr;

#if defined(__i386__)
// The head of the thread's SEH chain lives at fs:[0].
void* ReadSehChain() {
  void* head;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}
void WriteSehChain(void* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }
#endif

// Severity "error" codes are faults; C++ exceptions, debug output and other
// informational codes go on to their own handlers.
bool IsFault(DWORD code) { return (code & 0xF0000000u) == 0xC0000000u; }

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  Guard* guard = g_current;
  if (guard == nullptr || !IsFault(info->ExceptionRecord->ExceptionCode)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  g_current = guard->previous;
#if defined(__i386__)
  WriteSehChain(guard->exceptionList);
#endif
  __builtin_longjmp(guard->jump, 1);
}

}  // namespace

bool CallGuarded(void (*call)(void* context), void* context) {
  PVOID handler = AddVectoredExceptionHandler(1, OnException);
  if (handler == nullptr) {
    call(context);
    return true;
  }
  Guard guard{};
  guard.previous = g_current;
#if defined(__i386__)
  guard.exceptionList = ReadSehChain();
#endif
  volatile bool completed = false;
  if (__builtin_setjmp(guard.jump) == 0) {
    g_current = &guard;
    call(context);
    g_current = guard.previous;
    completed = true;
  }
  RemoveVectoredExceptionHandler(handler);
  return completed;
}

}  // namespace vistlib::zip
