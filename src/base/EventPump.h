// The window layer's event loop as the core sees it while it waits for the scale or shows
// progress: handle the next pending events, blocking until at least one arrives. It must never
// spin: the 100 ms timer and the port's notifications always wake it.
#pragma once

namespace qm {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
  // Handles the events already waiting and returns at once, without waiting for more (Qt:
  // processEvents() without WaitForMoreEvents). Long table operations call it now and then so
  // the window keeps painting. The default does nothing.
  virtual void ProcessQueuedEvents() {}
};

}  // namespace qm
