#pragma once
// Lets pending window messages run once, from inside a handler. One definition
// serves the whole program; the wizard's picture exchange defines it.

namespace vistrel {

void DoEvents();

}  // namespace vistrel
