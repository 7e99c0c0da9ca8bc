// Writing whole files on Windows: a temporary file beside the target, made only if no file has
// its name, renamed over the target. The permission and link rules of the POSIX version
// (FileIoPosix.cpp) have no counterpart here: rename keeps no attributes to lose and the program
// does not follow shortcuts.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/FileFailure.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using files_detail::Failure;

FileResult Failure(std::errc code) {
  return Failure(std::make_error_code(code));
}

FileResult Failure(int code) {
  return Failure(std::error_code(code, std::generic_category()));
}

// Writes all of `bytes` to `fd`; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const int n = _write(fd, bytes.data(), chunk);
    if (n < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

namespace files_detail {

long ThisProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

bool ProcessRuns(long pid) {
  if (pid <= 0) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // it runs, as another user
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

bool FileNumber(const fs::path& path, std::uint64_t& device, std::uint64_t& file) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!ok) return false;
  device = info.dwVolumeSerialNumber;
  file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace files_detail

// UTF-8 both ways: a path from plain chars would be read in the ANSI code page, which cannot
// hold every name (and the library's way back is UTF-8 anyway).
fs::path FilePath(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

FileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
  const fs::path target = FilePath(path);
  files_detail::ClearStaleTemporaries(target, fs::file_time_type::clock::now());
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = FilePath(files_detail::TemporaryName(path));
    fd = _wopen(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) return Failure(errno);
  }
  if (fd < 0) return Failure(EEXIST);
  std::error_code ec;
  if (!WriteAll(fd, bytes) || _commit(fd) != 0) {
    const int code = errno != 0 ? errno : EIO;
    _close(fd);
    fs::remove(temporary, ec);
    return Failure(code);
  }
  if (_close(fd) != 0) {
    const int code = errno;
    fs::remove(temporary, ec);
    return Failure(code);
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return Failure(ec);
  }
  return {};
}

// The folder's own permissions are the system's access lists, which only the save itself can
// try; what can be told before is whether the folder is there and the file is no folder and
// not read-only.
FileResult CheckWritable(const std::string& path) {
  const fs::path target = FilePath(path);
  std::error_code ec;
  const fs::file_status file = fs::status(target, ec);
  if (fs::exists(file)) {
    if (fs::is_directory(file)) return Failure(std::errc::is_a_directory);
    if ((file.permissions() & fs::perms::owner_write) == fs::perms::none) {
      return Failure(std::errc::permission_denied);
    }
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const fs::file_status place = fs::status(folder, ec);
  if (!fs::exists(place)) return Failure(std::errc::no_such_file_or_directory);
  if (!fs::is_directory(place)) return Failure(std::errc::not_a_directory);
  return {};
}

}  // namespace qm
