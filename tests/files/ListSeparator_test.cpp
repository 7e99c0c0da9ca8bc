#include "files/ListSeparator.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace qm {
namespace {

TEST(ListSeparator, OverrideAndSystemChoice) {
  const std::string numericBefore = std::setlocale(LC_NUMERIC, nullptr);
  const char system = SystemListSeparator();
  EXPECT_TRUE(system == ',' || system == ';') << system;
  // Asking leaves the program's own number formats alone.
  EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), numericBefore);

  SetListSeparatorForTesting(';');
  EXPECT_EQ(ListSeparator(), ';');
  SetListSeparatorForTesting('\t');
  EXPECT_EQ(ListSeparator(), '\t');
  SetListSeparatorForTesting(std::nullopt);
  EXPECT_EQ(ListSeparator(), system);
}

}  // namespace
}  // namespace qm
