// Port names on Windows: the names are the devices, and open failures are explained from the
// system's own codes.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "port/PortNames.h"

namespace {

using qm::TPortType;

TEST(PortNamesWin32, EveryNameIsItsOwnDeviceUnlessMappedToANetworkLine) {
  _putenv_s("QM_PORTS", "COM2=/tmp/scale;COM3=rfc2217://10.0.0.20:4001");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM1), "COM1");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM2), "COM2");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM3), "rfc2217://10.0.0.20:4001");
  EXPECT_EQ(qm::ResolvePortDevice(TPortType::COM8), "COM8");
  _putenv_s("QM_PORTS", "");
}

TEST(PortNamesWin32, OpenFailuresAreExplainedInTheOperatorsWords) {
  struct Case {
    DWORD code;
    const char* words;  // UTF-8; nullptr: no sentence, the port's own message stands
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, "не найден"},
      {ERROR_PATH_NOT_FOUND, "не найден"},
      {ERROR_ACCESS_DENIED, "занят другой программой"},  // another program holds the port
      {ERROR_SHARING_VIOLATION, "занят другой программой"},
      {ERROR_GEN_FAILURE, nullptr},
  };
  for (const Case& c : cases) {
    const std::string text = qm::Utf8(qm::ExplainOpenFailure(static_cast<int>(c.code), "COM3"));
    if (c.words == nullptr) {
      EXPECT_EQ(text, "") << c.code;
      continue;
    }
    EXPECT_NE(text.find(c.words), std::string::npos) << c.code << ": " << text;
    EXPECT_NE(text.find("COM3"), std::string::npos) << c.code;
  }
}

}  // namespace
