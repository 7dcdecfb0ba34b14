#pragma once
// Runs a call into foreign code and survives a hardware fault in it (access
// violation, illegal instruction, ...): the call is abandoned and the caller
// learns that it failed.
namespace vistlib::zip {

// False when `call` faulted.
bool CallGuarded(void (*call)(void* context), void* context);

}  // namespace vistlib::zip
