// When the replies of a fast read become rows: held while they come close together, stored at
// once after a slow one, and never lost, doubled or reordered on the way.
#include "session/HeldReplies.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qm {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

struct Reads {
  HeldReplies::Clock::time_point now{};
  std::string stored;  // one letter per reply, in the order stored
  HeldReplies held{[this](std::string& r) { stored += r; }, [this] { return now; }};

  void At(HeldReplies::Clock::duration gap, const char* reply) {
    now += gap;
    held.Hold(reply);
  }
};

TEST(HeldReplies, FastRepliesWaitAndASlowOneBringsThemAllInOrder) {
  Reads r;
  r.held.Arrived();
  r.At(microseconds(60), "a");
  r.At(microseconds(60), "b");
  EXPECT_EQ(r.stored, "");
  r.At(milliseconds(3), "c");  // the line slowed down: nothing waits behind a slow reply
  EXPECT_EQ(r.stored, "abc");
  r.At(milliseconds(3), "d");
  EXPECT_EQ(r.stored, "abcd");
  EXPECT_EQ(r.held.HeldCount(), 0u);
}

TEST(HeldReplies, NothingWaitsLongerThanTheLongestHoldOrBeyondTheMostHeld) {
  Reads r;
  r.held.Arrived();
  int steps = 0;
  while (r.stored.empty()) {
    r.At(milliseconds(1), "x");
    ++steps;
  }
  EXPECT_EQ(milliseconds(steps), HeldReplies::LongestHold + milliseconds(1));

  Reads many;
  many.held.Arrived();
  for (std::size_t i = 0; i + 1 < HeldReplies::MostHeld; ++i) many.At(microseconds(1), "y");
  EXPECT_EQ(many.stored, "");
  many.At(microseconds(1), "y");
  EXPECT_EQ(many.stored.size(), HeldReplies::MostHeld);
}

TEST(HeldReplies, AFlushStoresEachOnceEvenWhenAStoreFailsOrHoldsMore) {
  bool failOnce = true;
  HeldReplies::Clock::time_point now{};
  std::string stored;
  HeldReplies held(
      [&](std::string& reply) {
        if (reply == "b" && failOnce) {
          failOnce = false;
          throw std::runtime_error("no room");
        }
        stored += reply;
        if (reply == "a") held.Hold("late");  // held while the batch is being stored
      },
      [&] { return now; });
  held.Arrived();
  held.Hold("a");
  held.Hold("b");
  EXPECT_THROW(held.Flush(), std::runtime_error);
  EXPECT_EQ(stored, "a");
  held.Flush();  // only what came in since: the failed batch is not stored twice
  EXPECT_EQ(stored, "alate");
  held.Hold("c");
  held.Drop();
  held.Flush();
  EXPECT_EQ(stored, "alate");
}

}  // namespace
}  // namespace qm
