// How the file functions word a failure: the system's own message for its code. Private to
// src/files (FileIo.cpp and the platform files).
#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
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

// The name of a save's temporary file beside `target` (FileIo.h). Each call gives a name not
// given before in this process.
std::string TemporaryName(const std::string& target);

// Removes the leftovers of killed saves of `target` (FileIo.h says which), as far as the
// folder lets us; `now` on the files' clock.
void ClearStaleTemporaries(const std::filesystem::path& target,
                           std::filesystem::file_time_type now);

// The platform's part (FileIoPosix.cpp, FileIoWin32.cpp): this process's id, whether a process
// with the id runs, the device and file number of an existing file.
long ThisProcessId();
bool ProcessRuns(long pid);
bool FileNumber(const std::filesystem::path& path, std::uint64_t& device, std::uint64_t& file);

}  // namespace qm::files_detail
