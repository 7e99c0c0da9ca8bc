// Which device each of COM1..COM8 opens, and the operator's explanation of open failures.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Cp1251.h"
#include "port/PortNames.h"

namespace {

using qm::TPortType;

TEST(PortNames, MappingTextAcceptsLooseSpellingAndSkipsWhatIsNotAPort) {
  auto map = qm::ParsePortMapping(
      "# USB adapter\n"
      "  com2 = /dev/ttyUSB0 \r\n"
      "\n"
      "COM9=/dev/ttyS9\n"
      "COM0=/dev/x\n"
      "COMX=/dev/y\n"
      "COM3\n"
      "COM4=\n"
      "COM8=/dev/serial/by-id/usb-FTDI=1\n",
      '\n');
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[TPortType::COM2], "/dev/ttyUSB0");
  EXPECT_EQ(map[TPortType::COM8], "/dev/serial/by-id/usb-FTDI=1");  // only the first '=' splits

  // A byte-order mark in front of the file costs its first entry nothing.
  EXPECT_EQ(qm::ParsePortMapping("\xEF\xBB\xBF" "COM2=/dev/ttyUSB0\n", '\n')[TPortType::COM2],
            "/dev/ttyUSB0");

  auto env = qm::ParsePortMapping("COM2=/tmp/scale;COM3=/dev/ttyUSB1;COM2=/tmp/other", ';');
  EXPECT_EQ(env[TPortType::COM2], "/tmp/other");  // the last entry wins
  EXPECT_EQ(env[TPortType::COM3], "/dev/ttyUSB1");
}

class PortResolution : public ::testing::Test {
 protected:
  PortResolution() {
    dir = std::filesystem::temp_directory_path() / ("qm-ports-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "qm-interchange");
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    ::unsetenv("QM_PORTS");
  }
  ~PortResolution() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("QM_PORTS");
    std::filesystem::remove_all(dir);
  }
  void WriteFile(const std::string& text) {
    std::ofstream(dir / "qm-interchange" / "ports.conf") << text;
  }
  std::filesystem::path dir;
};

TEST_F(PortResolution, EnvironmentBeatsTheFileWhichBeatsTheDefault) {
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM1), "/dev/ttyS0");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM8), "/dev/ttyS7");

  WriteFile("COM2=/dev/ttyUSB0\nCOM3=/dev/ttyACM0\n");
  EXPECT_EQ(qm::PortMappingFilePath(), (dir / "qm-interchange" / "ports.conf").string());
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM2), "/dev/ttyUSB0");

  ::setenv("QM_PORTS", "COM2=/tmp/scale", 1);
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM2), "/tmp/scale");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM3), "/dev/ttyACM0");  // not in the variable
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM4), "/dev/ttyS3");
  EXPECT_EQ(qm::PortName(TPortType::COM4), "COM4");
}

TEST(PortNames, OpenFailuresAreExplainedInTheOperatorsWords) {
  std::string missing = qm::Utf8(qm::ExplainOpenFailure(ENOENT, "/dev/ttyUSB0"));
  EXPECT_NE(missing.find("/dev/ttyUSB0"), std::string::npos);
  EXPECT_NE(missing.find("не найдено"), std::string::npos);

  std::string denied = qm::Utf8(qm::ExplainOpenFailure(EACCES, "/dev/ttyS1"));
  EXPECT_NE(denied.find("dialout"), std::string::npos);
  EXPECT_NE(denied.find("/dev/ttyS1"), std::string::npos);

  EXPECT_NE(qm::Utf8(qm::ExplainOpenFailure(EBUSY, "/dev/ttyS1")).find("занято"),
            std::string::npos);
  EXPECT_EQ(qm::ExplainOpenFailure(EIO, "/dev/ttyS1"), "");
}

}  // namespace
