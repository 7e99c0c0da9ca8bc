// The link tests' fixture: the session rig on a pseudo-terminal whose master end the test (or a
// scripted far end on it) drives; the rig's ticks wait for the line to settle.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/LinkExchange.h"
#include "support/PtyPair.h"
#include "support/SessionRig.h"

namespace qmtest {

// Comes before the rig among the bases, so the pty is there when the rig is made and gone after.
struct PtyHolder {
  PtyPair pty;
};

class LinkFixture : public ::testing::Test, protected PtyHolder, public SessionRig {
 protected:
  LinkFixture() : SessionRig(pty.Path(), [this] { return pty.Settled(); }) {}
  ~LinkFixture() override {
    link.CloseForExit();
    EXPECT_FALSE(state.LinkBusy);
  }

  void OpenForExchange() { ASSERT_TRUE(SessionRig::OpenForExchange()); }
};

}  // namespace qmtest
