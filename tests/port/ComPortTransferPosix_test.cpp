// Writes, reads, the input count and pending transfers of TComPort over a pseudo-terminal.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "port/ComPort.h"
#include "support/PtyPair.h"

namespace {

using namespace std::chrono_literals;
using qm::EComPort;
using qm::TComPort;
using qmtest::PtyPair;
using qmtest::WaitUntil;

class ComPortTransfer : public ::testing::Test {
 protected:
  ComPortTransfer() {
    port.SetEvents({});
    port.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
    port.Open();
  }
  // Reads wait for all requested bytes, without a time limit.
  void BlockingReads() {
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalMultiplier(0);
    port.Timeouts().SetReadTotalConstant(0);
  }
  // Bytes sent by the far end that have reached the port's input queue.
  void SendAndSettle(const std::string& bytes) {
    std::uint32_t before = port.InputCount();
    pty.Send(bytes);
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == before + bytes.size(); }));
  }
  // Reads everything the port sent, until `size` bytes arrived.
  std::string Drain(std::size_t size) {
    std::string got;
    while (got.size() < size) {
      std::string part = pty.Receive(65536, 5s);
      if (part.empty()) break;
      got += part;
    }
    return got;
  }

  PtyPair pty;
  TComPort port;
};

TEST_F(ComPortTransfer, WaitingWriteDeliversEveryByte) {
  std::string data("\x01\x80\x00\xAA\xEE\xFF", 6);
  EXPECT_EQ(port.Write(data, true), 6);
  EXPECT_EQ(Drain(6), data);  // raw: no CR/LF translation, NUL and 0xFF intact
  EXPECT_FALSE(port.HasPendingOperations());
}

TEST_F(ComPortTransfer, DefaultTimeoutsMakeReadsReturnAtOnceWithWhatIsQueued) {
  std::string buffer = "old";
  EXPECT_EQ(port.Read(buffer, 4, true), 0);  // nothing queued: no wait
  EXPECT_EQ(buffer.size(), 4u);

  SendAndSettle(std::string("\x10\x27\x00", 3));
  EXPECT_EQ(port.InputCount(), 3u);
  EXPECT_EQ(port.Read(buffer, 10, true), 3);
  EXPECT_EQ(buffer.size(), 10u);
  EXPECT_EQ(buffer.substr(0, 3), std::string("\x10\x27\x00", 3));
  EXPECT_EQ(port.InputCount(), 0u);

  SendAndSettle("abcdef");
  EXPECT_EQ(port.Read(buffer, 2, false), 2);  // completes at once, nothing pending
  EXPECT_EQ(buffer, "ab");
  EXPECT_EQ(port.InputCount(), 4u);
  EXPECT_FALSE(port.HasPendingOperations());
}

TEST_F(ComPortTransfer, WaitingReadCollectsTheWholeCountAcrossArrivals) {
  BlockingReads();
  SendAndSettle("12");
  std::thread farEnd([&] {
    std::this_thread::sleep_for(20ms);
    pty.Send("345");
    std::this_thread::sleep_for(20ms);
    pty.Send("67");
  });
  std::string buffer;
  EXPECT_EQ(port.Read(buffer, 6, true), 6);
  farEnd.join();
  EXPECT_EQ(buffer, "123456");
  EXPECT_TRUE(WaitUntil([&] { return port.InputCount() == 1; }));
}

TEST_F(ComPortTransfer, FirstBytesTimeoutsEndAReadWithTheFirstArrival) {
  port.Timeouts().SetReadTotalMultiplier(-1);
  port.Timeouts().SetReadTotalConstant(60000);
  std::thread farEnd([&] {
    std::this_thread::sleep_for(20ms);
    pty.Send("xy");
  });
  std::string buffer;
  EXPECT_EQ(port.Read(buffer, 50, true), 2);
  farEnd.join();
  EXPECT_EQ(buffer.substr(0, 2), "xy");
}

TEST_F(ComPortTransfer, NonWaitingReadStaysPendingUntilCollected) {
  BlockingReads();
  std::string buffer;
  EXPECT_EQ(port.Read(buffer, 5, false), -1);
  EXPECT_TRUE(port.HasPendingOperations());
  pty.Send("hello");
  EXPECT_EQ(port.WaitForLastOperation(), 5);
  EXPECT_EQ(buffer, "hello");
  EXPECT_FALSE(port.HasPendingOperations());
  EXPECT_EQ(port.WaitForLastOperation(), -2);
}

TEST_F(ComPortTransfer, PendingOperationsAreCollectedLastFirst) {
  BlockingReads();
  std::string buffer;
  ASSERT_EQ(port.Read(buffer, 4, false), -1);
  // More than the pseudo-terminal holds while nobody reads the far end: the write goes pending.
  const std::string big(1 << 20, 'w');
  ASSERT_EQ(port.Write(big, false), -1);
  std::thread farEnd([&] { EXPECT_EQ(Drain(big.size()).size(), big.size()); });
  EXPECT_EQ(port.WaitForLastOperation(), static_cast<std::int32_t>(big.size()));
  farEnd.join();
  EXPECT_TRUE(port.HasPendingOperations());
  pty.Send("read");
  EXPECT_EQ(port.WaitForLastOperation(), 4);
  EXPECT_EQ(buffer, "read");
  EXPECT_EQ(port.WaitForLastOperation(), -2);
}

TEST_F(ComPortTransfer, WaitingWriteEndsAtItsTimeoutWithTheCountSent) {
  port.Timeouts().SetWriteTotalMultiplier(0);
  port.Timeouts().SetWriteTotalConstant(100);
  const std::string big(1 << 20, 'w');
  std::int32_t sent = port.Write(big, true);  // the far end never reads
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, static_cast<std::int32_t>(big.size()));
  EXPECT_FALSE(port.HasPendingOperations());
}

TEST_F(ComPortTransfer, AbortDiscardsPendingOperationsWithoutFillingBuffers) {
  BlockingReads();
  std::string buffer;
  ASSERT_EQ(port.Read(buffer, 8, false), -1);
  ASSERT_EQ(port.Read(buffer, 8, false), -1);
  port.AbortAllOperations();
  EXPECT_FALSE(port.HasPendingOperations());
  EXPECT_EQ(port.WaitForLastOperation(), -2);
  EXPECT_EQ(buffer, std::string(8, '\0'));
  // The line still works afterwards.
  SendAndSettle("ok");
  EXPECT_EQ(port.Read(buffer, 2, true), 2);
  EXPECT_EQ(buffer, "ok");
}

TEST_F(ComPortTransfer, CloseEndsTransfersThatWouldNeverComplete) {
  BlockingReads();
  std::string buffer;
  ASSERT_EQ(port.Read(buffer, 100, false), -1);
  ASSERT_EQ(port.Write(std::string(1 << 20, 'w'), false), -1);
  port.Close();
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(port.HasPendingOperations());
}

TEST_F(ComPortTransfer, OperationsOnAClosedPortRaiseTheSystemError) {
  port.Close();
  const std::string suffix = "error " + std::to_string(EBADF) + ".";
  try {
    port.InputCount();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.what(), "Unable to read com status: " + suffix);
  }
  try {
    port.Write("x", true);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.what(), "Operation failed: " + suffix);
  }
  std::string buffer;
  try {
    port.Read(buffer, 1, true);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.what(), "Operation aborted: " + suffix);
  }
  EXPECT_FALSE(port.HasPendingOperations());  // the failed transfers left no record
}

TEST_F(ComPortTransfer, ReadingFromALineThatHungUpFails) {
  BlockingReads();
  std::string buffer;
  ASSERT_EQ(port.Read(buffer, 3, false), -1);
  pty.HangUp();
  EXPECT_THROW(port.WaitForLastOperation(), EComPort);
  EXPECT_FALSE(port.HasPendingOperations());
}

}  // namespace
