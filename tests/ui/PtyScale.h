// A scale for the window tests: on its own thread it answers the far end of a pseudo-terminal
// with the address echo and the ready status, and the display command 0x89 with the
// acknowledgement and a 15-byte display reply. Other commands are refused (0xEE). It can be made
// silent (it then reads and drops every byte). The terminal end is kept open by the scale so the
// line never hangs up between the program's opens.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace qmtest {

class PtyScale {
 public:
  explicit PtyScale(std::uint8_t address = 1);
  ~PtyScale();
  PtyScale(const PtyScale&) = delete;
  PtyScale& operator=(const PtyScale&) = delete;

  // The terminal end the program opens.
  const std::string& Path() const { return path_; }
  void SetSilent(bool silent) { silent_ = silent; }
  // Busy: the address is echoed without a status, so the program asks again and again.
  void SetBusy(bool busy) { busy_ = busy; }
  // The display reply: flags, weight in grams, unit and total price in kopecks, PLU number.
  void SetDisplay(std::uint8_t flags, std::uint16_t grams, std::int32_t price, std::int32_t total,
                  std::int32_t pluNo);
  // Display replies sent so far.
  int Polls() const { return polls_; }
  // Address bytes received so far (answered or not).
  int AddressBytes() const { return addressBytes_; }

 private:
  void Run(std::stop_token stop);
  void Answer(std::uint8_t byte);
  void Send(const std::string& bytes);

  const std::uint8_t address_;
  int master_ = -1;
  int terminal_ = -1;
  std::string path_;
  std::atomic<bool> silent_{false};
  std::atomic<bool> busy_{false};
  std::atomic<int> polls_{0};
  std::atomic<int> addressBytes_{0};
  std::mutex mutex_;
  std::string display_;
  bool inCommand_ = false;  // the scale said ready: the next byte is a command
  std::jthread thread_;
};

}  // namespace qmtest
