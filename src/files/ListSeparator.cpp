#include "files/ListSeparator.h"

namespace qm {
namespace {

std::optional<char>& Override() {
  static std::optional<char> separator;
  return separator;
}

}  // namespace

char ListSeparator() {
  return Override() ? *Override() : SystemListSeparator();
}

void SetListSeparatorForTesting(std::optional<char> separator) {
  Override() = separator;
}

}  // namespace qm
