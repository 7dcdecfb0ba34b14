#include <cstdio>
#include <cstdlib>

#include "fuzz_target.h"

namespace vistrel_fuzz {

void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
  std::abort();
}

#ifdef VISTREL_LIBFUZZER
Registration::Registration(const char*, TargetFunction) {}
#endif

}  // namespace vistrel_fuzz
