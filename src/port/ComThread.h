// TComThread: the serial port's event thread. It exists while the port is open with a non-empty
// Events set, waits for line events and hands each completed wait to the port's handlers in the
// way the port's SyncMethod asks.
#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <thread>

#include "port/ComPortBackend.h"

namespace qm {

class TComPort;

class TComThread {
 public:
  // Starts waiting at once. `waiter` watches the events of the port's Events set.
  TComThread(TComPort& port, std::unique_ptr<comm::EventWaiter> waiter);
  // Sets StopEvent and waits until the thread has ended.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

 private:
  void Execute();
  void Dispatch(std::uint32_t mask);

  TComPort& port_;
  std::unique_ptr<comm::EventWaiter> waiter_;
  std::uint32_t mask_ = 0;     // events of the last completed wait
  std::stop_source StopEvent;  // set once, when the port closes
  std::thread thread_;
};

}  // namespace qm
