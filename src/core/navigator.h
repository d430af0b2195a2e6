// How screens hand over to one another without growing the stack: each screen or step
// that waits for a later one to give control back is a frame on a bounded history.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

namespace orvenda {

class Frame;
using FramePtr = std::unique_ptr<Frame>;

// What a frame does when it stops running: enter another screen (which may give control
// back to this one later), or end, giving control back to the frame below.
struct Step {
  FramePtr next;  // null: this frame ends
  static Step enter(FramePtr frame) { return Step{std::move(frame)}; }
  static Step end() { return Step{nullptr}; }
};

class Frame {
 public:
  virtual ~Frame() = default;
  // Runs the frame: the first time from its start, later to carry on after the frame it
  // entered gave control back.
  virtual Step run() = 0;
};

class Navigator {
 public:
  // A few dozen resume points; older ones are dropped. When control goes back past the
  // oldest kept one, fallback() supplies the frame to carry on with.
  static constexpr std::size_t kHistoryLimit = 32;

  explicit Navigator(std::function<FramePtr()> fallback) : fallback_(std::move(fallback)) {}

  // Runs frames until the history runs out.
  void run(FramePtr first);
  std::size_t depth() const { return frames_.size(); }

 private:
  std::deque<FramePtr> frames_;
  std::function<FramePtr()> fallback_;
  bool dropped_ = false;
};

}  // namespace orvenda
