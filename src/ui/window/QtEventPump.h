// The core's event pump over Qt: handles pending window events, blocking until at least one
// arrives (the 100 ms timer and the port's notifications always wake it, so it never spins), or
// only those already waiting, for long table operations that must not stall.
#pragma once

#include "base/EventPump.h"

namespace qm {

class QtEventPump : public EventPump {
 public:
  void ProcessPendingEvents() override;
  void ProcessQueuedEvents() override;
};

}  // namespace qm
