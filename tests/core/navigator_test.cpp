// The frame history: bounded however often screens are entered anew, and control given
// back to the newest resume point, or to the fallback once the history is used up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/navigator.h"

namespace orvenda {
namespace {

struct Log {
  std::vector<std::string> lines;
  std::size_t alive = 0;
  std::size_t peak = 0;
};

// Enters a new frame `children` times, each time it runs; then ends.
class Counting final : public Frame {
 public:
  Counting(Log& log, std::string name, int children)
      : log_(log), name_(std::move(name)), children_(children) {
    log_.peak = std::max(log_.peak, ++log_.alive);
  }
  ~Counting() override { --log_.alive; }
  Step run() override {
    log_.lines.push_back(name_);
    if (children_-- > 0) return Step::enter(std::make_unique<Counting>(log_, name_ + "'", 0));
    return Step::end();
  }

 private:
  Log& log_;
  std::string name_;
  int children_;
};

// Enters itself anew forever, as a main screen does on every Z key, a given number of times.
class Chain final : public Frame {
 public:
  Chain(Log& log, int left) : log_(log), left_(left) {
    log_.peak = std::max(log_.peak, ++log_.alive);
  }
  ~Chain() override { --log_.alive; }
  Step run() override {
    if (resumed_++ > 0) return Step::end();
    if (left_ == 0) return Step::end();
    return Step::enter(std::make_unique<Chain>(log_, left_ - 1));
  }

 private:
  Log& log_;
  int left_;
  int resumed_ = 0;
};

TEST(Navigator, ControlComesBackToTheFrameThatEntered) {
  Log log;
  Navigator nav(nullptr);
  nav.run(std::make_unique<Counting>(log, "a", 2));
  EXPECT_EQ(log.lines, (std::vector<std::string>{"a", "a'", "a", "a'", "a"}));
  EXPECT_EQ(log.alive, 0u);
}

TEST(Navigator, HundredThousandEntriesKeepTheHistoryBounded) {
  Log log;
  int fallbacks = 0;
  Navigator nav([&]() -> FramePtr {
    ++fallbacks;
    return std::make_unique<Counting>(log, "step 7", 0);
  });
  nav.run(std::make_unique<Chain>(log, 100000));
  EXPECT_LE(log.peak, Navigator::kHistoryLimit + 1);
  EXPECT_EQ(log.alive, 0u);
  EXPECT_EQ(fallbacks, 1) << "past the oldest kept frame, once to the fallback";
  EXPECT_EQ(log.lines.back(), "step 7");
}

TEST(Navigator, NoFallbackWhenNothingWasDropped) {
  Log log;
  int fallbacks = 0;
  Navigator nav([&]() -> FramePtr {
    ++fallbacks;
    return nullptr;
  });
  nav.run(std::make_unique<Chain>(log, 5));
  EXPECT_EQ(fallbacks, 0);
}

}  // namespace
}  // namespace orvenda
