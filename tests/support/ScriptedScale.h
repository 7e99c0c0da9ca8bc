// A far end for link tests that answers each exchange from a script, so that every protocol
// rule can be met exactly once: the program's address, then its command and data, are answered
// with the scripted bytes. It runs on its own thread on the pty's master end.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "support/PtyPair.h"

namespace qmtest {

struct ScaleScript {
  std::uint8_t address = 1;
  std::string addressAnswer;    // sent for the address byte: echo and status by default
  int busyAnswers = 0;          // first this many address bytes get the echo only
  std::size_t commandData = 0;  // data bytes that follow the command byte
  std::string commandAnswer;    // sent after the command and its data: ack and reply
};

class ScriptedScale {
 public:
  // Borrows the pair, which must outlive the scale.
  ScriptedScale(PtyPair& pty, ScaleScript script);
  ~ScriptedScale();
  // Every byte the program sent so far.
  std::string Received() const;
  int AddressBytes() const { return addressBytes_; }
  // True when the script has nothing on its way: its thread waits for the program, nothing the
  // program sent waits unread and everything answered is in the port's queue (LineSettled); or
  // the thread has ended.
  bool Quiet() const;

 private:
  void Run(std::stop_token stop);
  std::string Answer(std::uint8_t byte);
  void SetWaiting(bool waiting);

  PtyPair& pty_;
  ScaleScript script_;
  mutable std::mutex mutex_;
  std::string received_;
  std::atomic<int> addressBytes_{0};
  std::size_t dataLeft_ = 0;
  bool inCommand_ = false;
  // Guarded by quietMutex_: the flag is cleared before the thread reads, so Quiet never looks
  // at a line whose bytes the thread is taking in.
  mutable std::mutex quietMutex_;
  bool waiting_ = false;
  bool ended_ = false;
  std::chrono::steady_clock::time_point lastWrite_{};
  std::jthread thread_;
};

}  // namespace qmtest
