#include "work_gate.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vistrel {
namespace {

// Work nests (the walk saves and mails), but only the end of the outermost
// work lets waiting closes run: a close run at an inner end would destroy a
// window the outer work still uses.
TEST(WorkGate, WaitingActionsRunInOrderOnlyWhenTheOutermostWorkEnds) {
  std::vector<std::string> log;
  AfterWork([&] { log.push_back("idle"); });
  EXPECT_EQ(log, (std::vector<std::string>{"idle"})) << "no work: at once";
  log.clear();
  {
    WorkScope outer;
    EXPECT_TRUE(WorkRunning());
    {
      WorkScope inner;
      AfterWork([&] { log.push_back("first"); });
    }
    EXPECT_TRUE(WorkRunning()) << "the inner end is not the end of the work";
    AfterWork([&] { log.push_back("second"); });
    EXPECT_TRUE(log.empty());
  }
  EXPECT_FALSE(WorkRunning());
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
}

// A waiting close that asks again (the window's handler sees no work and
// closes) must not wait once more; work it starts lets its own waiters run
// when it ends; one that fails is reported and does not stop the rest.
TEST(WorkGate, WaitingActionsRunWithoutWorkAndFailuresAreReported) {
  std::vector<std::string> log;
  std::vector<std::string> failures;
  SetAfterWorkFailureHandler([&](const char* what) { failures.push_back(what); });
  {
    WorkScope work;
    AfterWork([&] {
      EXPECT_FALSE(WorkRunning());
      AfterWork([&] { log.push_back("asked again"); });
      WorkScope more;
      AfterWork([&] { log.push_back("after more"); });
      log.push_back("in more");
    });
    AfterWork([] { throw std::runtime_error("close failed"); });
    AfterWork([&] { log.push_back("last"); });
  }
  SetAfterWorkFailureHandler(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"asked again", "in more", "after more", "last"}));
  EXPECT_EQ(failures, (std::vector<std::string>{"close failed"}));
  EXPECT_FALSE(WorkRunning());
}

}  // namespace
}  // namespace vistrel
