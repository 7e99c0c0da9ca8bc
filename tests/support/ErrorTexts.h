// What a loop's handlers throw, kept as text for a test to compare.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace qmtest {

// An error handler that appends the text of each exception it is handed to `texts`, as the
// window program's error report would show it.
inline std::function<void(std::exception_ptr)> KeepErrorTexts(std::vector<std::string>& texts) {
  return [&texts](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      texts.push_back(x.what());
    }
  };
}

}  // namespace qmtest
