#include "ScriptedScale.h"

#include <poll.h>
#include <unistd.h>

namespace qmtest {

ScriptedScale::ScriptedScale(int master, ScaleScript script)
    : master_(master), script_(std::move(script)) {
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
    pollfd fd = {master_, POLLIN, 0};
    if (::poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN)) continue;
    char buffer[256];
    ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      {
        std::lock_guard lock(mutex_);
        received_ += buffer[i];
      }
      const std::string out = Answer(static_cast<std::uint8_t>(buffer[i]));
      if (!out.empty() && ::write(master_, out.data(), out.size()) < 0) return;
    }
  }
}

}  // namespace qmtest
