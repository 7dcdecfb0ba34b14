// One reader of outside bytes, written once and built two ways: as a
// libFuzzer program (bench/fuzz), and into the replay test of the unit tier,
// which runs every committed input so that a fault once found stays fixed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vistrel_fuzz {

using TargetFunction = void (*)(const uint8_t* data, size_t size);

struct Registration {
  Registration(const char* name, TargetFunction function);
};

}  // namespace vistrel_fuzz

#ifdef VISTREL_LIBFUZZER
#define VISTREL_FUZZ_TARGET(name)                                               \
  static void FuzzOne_##name(const uint8_t* data, size_t size);                 \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {     \
    FuzzOne_##name(data, size);                                                 \
    return 0;                                                                   \
  }                                                                             \
  static void FuzzOne_##name(const uint8_t* data, size_t size)
#else
#define VISTREL_FUZZ_TARGET(name)                                               \
  static void FuzzOne_##name(const uint8_t* data, size_t size);                 \
  static const vistrel_fuzz::Registration registration_##name(#name, FuzzOne_##name); \
  static void FuzzOne_##name(const uint8_t* data, size_t size)
#endif

// A property that must hold for every input: abort loudly, so both the fuzzer
// and the replay test see it as a crash with the input that caused it.
#define FUZZ_REQUIRE(condition)                                                 \
  do {                                                                          \
    if (!(condition)) vistrel_fuzz::Fail(#condition, __FILE__, __LINE__);       \
  } while (0)

namespace vistrel_fuzz {
[[noreturn]] void Fail(const char* condition, const char* file, int line);
}
