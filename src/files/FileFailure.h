// How the file functions word a failure: the system's own message for its code. Private to
// src/files (FileIo.cpp and the platform files).
#pragma once

#include <cerrno>
#include <system_error>

#include "files/FileIo.h"

namespace qm::files_detail {

inline FileResult Failure(std::error_code code) {
  return {false, code.message()};
}

// The error of the last failed stream operation. The streams report failures through errno on
// the systems we build for; a failure without one is reported as an input/output error.
inline FileResult LastStreamFailure() {
  const int code = errno != 0 ? errno : EIO;
  return Failure(std::error_code(code, std::generic_category()));
}

}  // namespace qm::files_detail
