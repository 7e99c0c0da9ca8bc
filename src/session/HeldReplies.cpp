#include "session/HeldReplies.h"

#include <utility>

namespace qm {

HeldReplies::HeldReplies(std::function<void(std::string&)> store,
                         std::function<Clock::time_point()> now)
    : store_(std::move(store)), now_(std::move(now)) {}

void HeldReplies::Arrived() {
  lastArrival_ = now_();
  anyArrived_ = true;
}

void HeldReplies::Hold(std::string reply) {
  const Clock::time_point now = now_();
  const bool fast = anyArrived_ && now - lastArrival_ < FastGap;
  lastArrival_ = now;
  anyArrived_ = true;
  if (held_.empty()) firstHeld_ = now;
  held_.push_back(std::move(reply));
  if (!fast || now - firstHeld_ >= LongestHold || held_.size() >= MostHeld) Flush();
}

void HeldReplies::Flush() {
  // Taken out first: a store that throws leaves nothing held twice, and one that pumps events
  // cannot see the batch it is part of.
  std::vector<std::string> batch;
  batch.swap(held_);
  for (std::string& reply : batch) store_(reply);
  // The batch's buffers serve the next one, unless replies were held meanwhile.
  if (held_.empty()) {
    batch.clear();
    held_.swap(batch);
  }
}

}  // namespace qm
