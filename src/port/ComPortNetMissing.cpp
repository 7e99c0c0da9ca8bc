// Network serial lines on a platform without a socket file: every such name fails to open.
// The build takes this file instead of ComPortNet.cpp there.
#include <cerrno>

#include "port/PortBackends.h"

namespace qm::comm {

namespace {

class MissingNetBackend : public ComPortBackend {
 public:
  int Open(const std::string&) override { return EAFNOSUPPORT; }
  bool IsOpen() const override { return false; }
  void Close() override {}
  int SetBufferSizes(std::uint32_t, std::uint32_t) override { return EBADF; }
  int SetLineState(const LineState&) override { return EBADF; }
  int SetTimeouts(const Timeouts&) override { return EBADF; }
  int InputCount(std::uint32_t&) override { return EBADF; }
  StartResult StartWrite(std::string_view) override { return {EBADF}; }
  StartResult StartRead(std::uint32_t) override { return {EBADF}; }
  int CancelTransfers() override { return EBADF; }
  std::unique_ptr<EventWaiter> CreateEventWaiter(std::uint32_t, std::uint32_t,
                                                 const std::atomic<std::uint32_t>&) override {
    return nullptr;
  }
};

}  // namespace

std::unique_ptr<ComPortBackend> CreateNetPortBackend(NetLineTimes) {
  return std::make_unique<MissingNetBackend>();
}

}  // namespace qm::comm
