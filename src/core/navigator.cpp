// The frame loop: constant stack and bounded memory however many times screens are
// entered anew.
#include "core/navigator.h"

namespace orvenda {

void Navigator::run(FramePtr first) {
  frames_.push_back(std::move(first));
  while (!frames_.empty()) {
    Step step = frames_.back()->run();
    if (step.next) {
      frames_.push_back(std::move(step.next));
      if (frames_.size() > kHistoryLimit) {
        frames_.pop_front();
        dropped_ = true;
      }
      continue;
    }
    frames_.pop_back();
    if (frames_.empty() && dropped_ && fallback_) {
      dropped_ = false;
      if (FramePtr f = fallback_()) frames_.push_back(std::move(f));
    }
  }
}

}  // namespace orvenda
