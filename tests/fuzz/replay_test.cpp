// Runs every committed input of every target: the seeds and each input that
// once showed a fault. A fault shows as a sanitizer report or a broken
// property, with the input's name printed first.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace vistrel_fuzz {
namespace {

std::map<std::string, TargetFunction>& Targets() {
  static std::map<std::string, TargetFunction> targets;
  return targets;
}

std::vector<std::filesystem::path> Inputs(const std::string& target) {
  std::vector<std::filesystem::path> files;
  for (const char* kind : {"corpus", "crashes"}) {
    const std::filesystem::path dir = std::filesystem::path(VISTREL_FUZZ_DIR) / kind / target;
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

class Replay : public testing::TestWithParam<std::string> {};

TEST_P(Replay, EveryCommittedInputRunsClean) {
  const auto files = Inputs(GetParam());
  ASSERT_GE(files.size(), 3u) << "the target's seed corpus is missing";
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    std::cerr << "input " << file.filename().string() << "\n";
    Targets().at(GetParam())(bytes.data(), bytes.size());
  }
}

std::vector<std::string> TargetNames() {
  std::vector<std::string> names;
  for (const auto& [name, function] : Targets()) names.push_back(name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, Replay, testing::ValuesIn(TargetNames()),
                         [](const auto& info) { return info.param; });

}  // namespace

Registration::Registration(const char* name, TargetFunction function) {
  Targets()[name] = function;
}

}  // namespace vistrel_fuzz
