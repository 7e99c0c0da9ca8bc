#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "port/RingSignal.h"

namespace qm {

RingSignal::RingSignal() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

RingSignal::~RingSignal() {
  if (handle_) CloseHandle(handle_);
}

void RingSignal::Raise() { SetEvent(handle_); }

void RingSignal::Lower() { ResetEvent(handle_); }

int RingSignal::Descriptor() const { return -1; }

void* RingSignal::Handle() const { return handle_; }

}  // namespace qm
