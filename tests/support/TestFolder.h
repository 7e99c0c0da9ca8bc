// A folder of its own for each test that writes files.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace qmtest {

// An empty folder in the system's temporary folder, named after `prefix`, the test program's
// process and the running test, so that tests run side by side never share one and what a
// crashed run left behind is cleared first. The caller removes it when the test ends.
inline std::filesystem::path FreshTestFolder(const std::string& prefix) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      (prefix + "_" + std::to_string(::getpid()) + "_" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace qmtest
