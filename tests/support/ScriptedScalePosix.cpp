#include "support/ScriptedScale.h"

#include <poll.h>
#include <unistd.h>

namespace qmtest {

ScriptedScale::ScriptedScale(PtyPair& pty, ScaleScript script)
    : pty_(pty), script_(std::move(script)) {
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

ScriptedScale::~ScriptedScale() {
  thread_.request_stop();
  thread_.join();
}

std::string ScriptedScale::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool ScriptedScale::Quiet() const {
  std::lock_guard lock(quietMutex_);
  if (ended_) return true;
  return waiting_ && LineSettled(pty_.Master(), pty_.Terminal(), lastWrite_);
}

void ScriptedScale::SetWaiting(bool waiting) {
  std::lock_guard lock(quietMutex_);
  waiting_ = waiting;
}

std::string ScriptedScale::Answer(std::uint8_t byte) {
  if (inCommand_) {
    if (dataLeft_ > 0 && --dataLeft_ > 0) return {};
    inCommand_ = false;
    return script_.commandAnswer;
  }
  if (byte == script_.address) {
    if (addressBytes_++ < script_.busyAnswers) return std::string(1, char(byte));
    return script_.addressAnswer;
  }
  // Anything else after a selection is a command.
  dataLeft_ = script_.commandData;
  if (dataLeft_ > 0) {
    inCommand_ = true;
    return {};
  }
  return script_.commandAnswer;
}

void ScriptedScale::Run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    pollfd fd = {pty_.Master(), POLLIN, 0};
    SetWaiting(true);
    const int ready = ::poll(&fd, 1, 20);
    SetWaiting(false);
    if (ready <= 0 || !(fd.revents & POLLIN)) continue;
    char buffer[256];
    ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      {
        std::lock_guard lock(mutex_);
        received_ += buffer[i];
      }
      const std::string out = Answer(static_cast<std::uint8_t>(buffer[i]));
      if (out.empty()) continue;
      const bool written = ::write(pty_.Master(), out.data(), out.size()) >= 0;
      std::lock_guard lock(quietMutex_);
      lastWrite_ = std::chrono::steady_clock::now();
      if (!written) {
        ended_ = true;
        return;
      }
    }
  }
}

}  // namespace qmtest
