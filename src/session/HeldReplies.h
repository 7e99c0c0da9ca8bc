// The replies of a whole-table read that come in quick succession, held back for a moment
// before they become rows. Turning a reply into a row (decoding it, appending it to the grid)
// is most of the program's own work in an exchange; done between one reply and the next
// request, every microsecond of it delays the scale by more than that on a fast line. Held, the
// replies become rows together a little later, off that path.
//
// A reply is held only while replies come fast: one that came later than `FastGap` after the
// previous one (a slow line, or a scale that took its time) is stored at once, together with
// any held before it, so that rows never wait on a slow line. Held replies are stored when the
// oldest has waited `LongestHold` or `MostHeld` are waiting, and when the owner flushes (on
// every way out of the read), so a window showing the table lags by at most that. The owner
// drops them instead when the table they were meant for was replaced meanwhile.
//
// Order: replies are stored in the order they arrived. Not thread-safe; one read owns one.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qm {

class HeldReplies {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration FastGap = std::chrono::milliseconds(2);
  static constexpr Clock::duration LongestHold = std::chrono::milliseconds(20);
  static constexpr std::size_t MostHeld = 256;

  // `store` turns one reply into a row; `now` tells the time (the steady clock unless a test
  // hands in its own).
  explicit HeldReplies(std::function<void(std::string&)> store,
                       std::function<Clock::time_point()> now = &Clock::now);

  // A reply that was stored at once by the owner (the read's first): only its time counts.
  void Arrived();
  // Holds `reply`, or stores it and everything held at once (see above).
  void Hold(std::string reply);
  // Stores everything held, oldest first. Replies held while a store runs are kept for the
  // next flush.
  void Flush();
  // Forgets everything held, for a table that was replaced meanwhile.
  void Drop() { held_.clear(); }
  std::size_t HeldCount() const { return held_.size(); }

 private:
  std::function<void(std::string&)> store_;
  std::function<Clock::time_point()> now_;
  std::vector<std::string> held_;
  Clock::time_point lastArrival_{};
  Clock::time_point firstHeld_{};
  bool anyArrived_ = false;
};

}  // namespace qm
