#pragma once
// Lets pending window messages run once, from inside a handler.

namespace vistrel {

void DoEvents();

}  // namespace vistrel
