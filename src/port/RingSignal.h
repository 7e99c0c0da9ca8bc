// A wake-up one thread raises for another that waits on the platform's own waiting call: on
// Linux an eventfd that turns readable, on Windows a manual-reset event object. A network line's
// reader thread raises it when bytes arrive, so that a loop blocked in poll/epoll or in
// WaitForMultipleObjects wakes for them without a thread of the port's own to hand off to.
//
// Threads: Raise from any thread; Lower on the waiting thread. Raised twice before one Lower is
// one wake-up.
#pragma once

namespace qm {

class RingSignal {
 public:
  RingSignal();
  ~RingSignal();
  RingSignal(const RingSignal&) = delete;
  RingSignal& operator=(const RingSignal&) = delete;

  void Raise();
  void Lower();
  // Linux: the descriptor to wait on for reading; -1 on Windows.
  int Descriptor() const;
  // Windows: the event object (a HANDLE) to wait on; null on Linux.
  void* Handle() const;

 private:
  int fd_ = -1;
  void* handle_ = nullptr;
};

}  // namespace qm
