// Line settings, opening and closing of TComPort over a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "port/ComPort.h"
#include "port/LowLatency.h"
#include "support/PtyPair.h"

namespace {

using qm::EComPort;
using qm::TComPort;
using qmtest::PtyPair;
using qmtest::ReadDriverLine;
using qmtest::TermFlags;

class ComPortSettings : public ::testing::Test {
 protected:
  ComPortSettings() {
    port.SetEvents({});
    port.SetDeviceResolver(
        [this](qm::TPortType p) { return p == qm::TPortType::COM2 ? second.Path() : pty.Path(); });
  }
  PtyPair pty, second;
  TComPort port;
};

TEST_F(ComPortSettings, PropertiesSetWhileClosedAreOnlyStored) {
  port.SetBaudRate(qm::TBaudRate::br19200);
  port.Parity().SetBits(qm::TParityBits::prOdd);
  port.FlowControl().SetXonXoffIn(true);
  port.Timeouts().SetReadInterval(0);
  port.SetReadBufSize(2048);
  port.SetPort(qm::TPortType::COM2);
  EXPECT_EQ(port.AppliedCounts().state + port.AppliedCounts().timeouts +
                port.AppliedCounts().bufferSizes + port.AppliedCounts().opens,
            0);
  EXPECT_FALSE(port.Connected());

  port.Open();
  auto line = ReadDriverLine(second.Terminal());
  EXPECT_EQ(line.outSpeed, 19200u);
  EXPECT_TRUE(line.cflag & TermFlags::kParodd);
  EXPECT_TRUE(line.iflag & TermFlags::kIxoff);
}

TEST_F(ComPortSettings, OpenPutsTheLineInRawModeWithTheDefaults) {
  port.Open();
  ASSERT_TRUE(port.Connected());
  auto line = ReadDriverLine(pty.Terminal());
  EXPECT_EQ(line.outSpeed, 9600u);
  EXPECT_EQ(line.cflag & TermFlags::kCsize, TermFlags::kCsize);  // CS8
  EXPECT_FALSE(line.cflag & (TermFlags::kParenb | TermFlags::kCstopb | TermFlags::kCrtscts));
  EXPECT_FALSE(line.lflag & (TermFlags::kEcho | TermFlags::kIcanon));
  EXPECT_FALSE(line.oflag & TermFlags::kOpost);
  EXPECT_FALSE(line.iflag & (TermFlags::kIxon | TermFlags::kIxoff | TermFlags::kInpck));
  EXPECT_EQ(port.AppliedCounts().state, 1);
  EXPECT_EQ(port.AppliedCounts().timeouts, 1);
  EXPECT_EQ(port.AppliedCounts().bufferSizes, 1);
}

TEST_F(ComPortSettings, SettingTheCurrentValueAppliesNothing) {
  port.Open();
  const auto before = port.AppliedCounts();
  port.SetBaudRate(port.BaudRate());
  port.SetPort(port.Port());
  port.SetStopBits(port.StopBits());
  port.SetDataBits(port.DataBits());
  port.SetDiscardNull(port.DiscardNull());
  port.SetEventChar(port.EventChar());
  port.SetReadBufSize(port.ReadBufSize());
  port.SetWriteBufSize(port.WriteBufSize());
  port.SetSyncMethod(port.SyncMethod());
  port.Parity().SetBits(port.Parity().Bits());
  port.Parity().SetCheck(port.Parity().Check());
  port.Parity().SetReplace(port.Parity().Replace());
  port.Parity().SetReplaceChar(port.Parity().ReplaceChar());
  auto& flow = port.FlowControl();
  flow.SetOutCtsFlow(flow.OutCtsFlow());
  flow.SetOutDsrFlow(flow.OutDsrFlow());
  flow.SetControlDtr(flow.ControlDtr());
  flow.SetControlRts(flow.ControlRts());
  flow.SetXonXoffOut(flow.XonXoffOut());
  flow.SetXonXoffIn(flow.XonXoffIn());
  auto& t = port.Timeouts();
  t.SetReadInterval(t.ReadInterval());
  t.SetReadTotalMultiplier(t.ReadTotalMultiplier());
  t.SetReadTotalConstant(t.ReadTotalConstant());
  t.SetWriteTotalMultiplier(t.WriteTotalMultiplier());
  t.SetWriteTotalConstant(t.WriteTotalConstant());
  const auto after = port.AppliedCounts();
  EXPECT_EQ(after.state, before.state);
  EXPECT_EQ(after.timeouts, before.timeouts);
  EXPECT_EQ(after.bufferSizes, before.bufferSizes);
  EXPECT_EQ(after.opens, before.opens);
}

TEST_F(ComPortSettings, ChangesWhileOpenReachTheDriverAtOnce) {
  port.Open();
  const int state = port.AppliedCounts().state;

  port.SetBaudRate(qm::TBaudRate::br14400);  // no standard speed constant exists for it
  EXPECT_EQ(ReadDriverLine(pty.Terminal()).outSpeed, 14400u);
  port.SetBaudRate(qm::TBaudRate::br56000);
  EXPECT_EQ(ReadDriverLine(pty.Terminal()).outSpeed, 56000u);

  // A pseudo-terminal always keeps eight data bits and drops the parity-enable bit; the kind of
  // parity it keeps.
  port.SetDataBits(qm::TDataBits::dbSeven);
  const std::uint32_t parityKind = TermFlags::kParodd | TermFlags::kCmspar;
  port.Parity().SetBits(qm::TParityBits::prMark);
  EXPECT_EQ(ReadDriverLine(pty.Terminal()).cflag & parityKind, parityKind);
  port.Parity().SetBits(qm::TParityBits::prSpace);
  EXPECT_EQ(ReadDriverLine(pty.Terminal()).cflag & parityKind, TermFlags::kCmspar);
  port.Parity().SetBits(qm::TParityBits::prOdd);
  EXPECT_EQ(ReadDriverLine(pty.Terminal()).cflag & parityKind, TermFlags::kParodd);
  port.Parity().SetCheck(true);
  EXPECT_TRUE(ReadDriverLine(pty.Terminal()).iflag & TermFlags::kInpck);

  port.SetStopBits(qm::TStopBits::sbTwoStopBits);
  EXPECT_TRUE(ReadDriverLine(pty.Terminal()).cflag & TermFlags::kCstopb);
  port.FlowControl().SetOutCtsFlow(true);
  EXPECT_TRUE(ReadDriverLine(pty.Terminal()).cflag & TermFlags::kCrtscts);
  port.FlowControl().SetXonXoffOut(true);
  EXPECT_TRUE(ReadDriverLine(pty.Terminal()).iflag & TermFlags::kIxon);
  EXPECT_EQ(port.AppliedCounts().state, state + 10);

  const int timeouts = port.AppliedCounts().timeouts;
  port.Timeouts().SetWriteTotalConstant(50);
  EXPECT_EQ(port.AppliedCounts().timeouts, timeouts + 1);
  // The buffer sizes go alone; the line state is not touched by them.
  const int buffers = port.AppliedCounts().bufferSizes;
  port.SetReadBufSize(4096);
  EXPECT_EQ(port.AppliedCounts().bufferSizes, buffers + 1);
  EXPECT_EQ(port.AppliedCounts().state, state + 10);
}

TEST_F(ComPortSettings, SettingsTheLineCannotTakeRaiseTheSystemError) {
  port.Open();
  // 1.5 stop bits exist only with five data bits.
  try {
    port.SetStopBits(qm::TStopBits::sbOne5StopBits);
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(),
                 ("Unable to set com state: error " + std::to_string(EINVAL) + ".").c_str());
    EXPECT_EQ(e.SystemCode(), EINVAL);
  }
  EXPECT_EQ(port.StopBits(), qm::TStopBits::sbOne5StopBits);  // stored, as the setter does
  port.SetDataBits(qm::TDataBits::dbFive);                    // now a valid combination
  EXPECT_TRUE(ReadDriverLine(pty.Terminal()).cflag & TermFlags::kCstopb);

  // A pseudo-terminal has no DSR line to hold the output with.
  EXPECT_THROW(port.FlowControl().SetOutDsrFlow(true), EComPort);
  EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortSettings, FailureWhileApplyingSettingsLeavesThePortClosedAndFree) {
  port.SetDiscardNull(true);  // the driver cannot drop NUL bytes
  try {
    port.Open();
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unable to set com state: error ", 0), 0u);
  }
  EXPECT_FALSE(port.Connected());
  TComPort other;
  other.SetEvents({});
  other.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
  EXPECT_NO_THROW(other.Open());  // the device was really released
}

TEST_F(ComPortSettings, NewPortClosesAndReopensOnTheNewDevice) {
  int opened = 0, closed = 0;
  port.OnOpen = [&](TComPort&) { ++opened; };
  port.OnClose = [&](TComPort&) { ++closed; };
  port.Open();
  EXPECT_EQ(port.DevicePath(), pty.Path());
  port.SetPort(qm::TPortType::COM2);
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.DevicePath(), second.Path());
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(closed, 1);
  // The first device is free again and the new one carries the port's line settings.
  TComPort other;
  other.SetEvents({});
  other.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
  EXPECT_NO_THROW(other.Open());
  EXPECT_FALSE(ReadDriverLine(second.Terminal()).lflag & TermFlags::kEcho);

  port.Close();
  EXPECT_EQ(closed, 2);
  port.Close();  // closing a closed port does nothing
  EXPECT_EQ(closed, 2);
}

TEST_F(ComPortSettings, SyncMethodCannotChangeWhileConnected) {
  port.Open();
  try {
    port.SetSyncMethod(qm::TSyncMethod::smNone);
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "Cannot set SyncMethod while connected");
  }
  EXPECT_EQ(port.SyncMethod(), qm::TSyncMethod::smSynchronize);
  port.Close();
  port.SetSyncMethod(qm::TSyncMethod::smWindow);
  EXPECT_EQ(port.SyncMethod(), qm::TSyncMethod::smWindow);
}

TEST_F(ComPortSettings, OpenFailuresNameTheSystemCodeAndLeaveThePortClosed) {
  TComPort missing;
  missing.SetEvents({});
  missing.SetDeviceResolver([](qm::TPortType) { return std::string("/dev/qm-no-such-port"); });
  try {
    missing.Open();
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "Unable to open com port: error 2.");
    EXPECT_EQ(e.SystemCode(), ENOENT);
  }
  EXPECT_FALSE(missing.Connected());

  // A device in use by another port is refused, even to a privileged user.
  port.Open();
  TComPort rival;
  rival.SetEvents({});
  rival.SetDeviceResolver([this](qm::TPortType) { return pty.Path(); });
  try {
    rival.Open();
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unable to open com port: error ", 0), 0u);
  }
  EXPECT_FALSE(rival.Connected());
  port.Close();
  EXPECT_NO_THROW(rival.Open());
}

TEST_F(ComPortSettings, EnvironmentMapsThePortName) {
  TComPort plain;  // no resolver of its own
  plain.SetEvents({});
  plain.SetPort(qm::TPortType::COM3);
  ::setenv("QM_PORTS", ("COM1=/dev/null;COM3=" + pty.Path()).c_str(), 1);
  plain.Open();
  ::unsetenv("QM_PORTS");
  EXPECT_EQ(plain.DevicePath(), pty.Path());
  EXPECT_TRUE(plain.Connected());
}

TEST_F(ComPortSettings, SubObjectsCopyThemselves) {
  port.Parity().SetBits(qm::TParityBits::prEven);
  port.Parity().SetReplace(true);
  port.Parity().SetReplaceChar(0x3F);
  TComPort other;
  port.Parity().AssignTo(other.Parity());
  EXPECT_EQ(other.Parity().Bits(), qm::TParityBits::prEven);
  EXPECT_TRUE(other.Parity().Replace());
  EXPECT_EQ(other.Parity().ReplaceChar(), 0x3F);
  port.Timeouts().SetReadTotalConstant(77);
  port.Timeouts().AssignTo(other.Timeouts());
  EXPECT_EQ(other.Timeouts().ReadTotalConstant(), 77);
}

// No serial device exists here: /dev/null stands for one (a character device that is no
// pseudo-terminal) and a scripted driver answers the serial-settings calls.
struct ScriptedDriver {
  int getResult = 0;  // -1: the driver has no serial settings
  int flags = 0;      // what it reports
  std::vector<unsigned long> requests;
  int setFlags = -1;  // what it was asked to set
};
ScriptedDriver* driver = nullptr;
int DriverIoctl(int, unsigned long request, void* data) {
  driver->requests.push_back(request);
  auto* serial = static_cast<serial_struct*>(data);
  if (request == TIOCGSERIAL) {
    if (driver->getResult < 0) errno = ENOTTY;
    serial->flags = driver->flags;
    return driver->getResult;
  }
  driver->setFlags = serial->flags;
  errno = EPERM;  // a refusal, which must go unnoticed
  return -1;
}

TEST(LowLatency, AskedOfASerialDeviceOnlyAndKeepsItsOtherFlags) {
  PtyPair pty;
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  ASSERT_GE(null, 0);
  struct Case {
    const char* what;
    int fd;
    int getResult, flags;
    std::vector<unsigned long> requests;
    int setFlags;
  } cases[] = {
      {"serial device", null, 0, ASYNC_SPD_HI, {TIOCGSERIAL, TIOCSSERIAL},
       ASYNC_SPD_HI | ASYNC_LOW_LATENCY},
      {"already low latency", null, 0, ASYNC_LOW_LATENCY, {TIOCGSERIAL}, -1},
      {"no serial settings", null, -1, 0, {TIOCGSERIAL}, -1},
      {"pseudo-terminal", pty.Terminal(), 0, 0, {}, -1},
      {"pseudo-terminal master", pty.Master(), 0, 0, {}, -1},
  };
  for (const Case& c : cases) {
    ScriptedDriver scripted{c.getResult, c.flags};
    driver = &scripted;
    errno = 0;
    EXPECT_EQ(qm::comm::RequestLowLatency(c.fd, DriverIoctl), c.setFlags >= 0) << c.what;
    EXPECT_EQ(scripted.requests, c.requests) << c.what;
    EXPECT_EQ(scripted.setFlags, c.setFlags) << c.what;
    EXPECT_EQ(errno, 0) << c.what;
  }
  driver = nullptr;
  ::close(null);
}

}  // namespace
