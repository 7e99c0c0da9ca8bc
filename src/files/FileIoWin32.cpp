// Writing whole files on Windows: a temporary file beside the target renamed over it. The
// permission and link rules of the POSIX version (FileIoPosix.cpp) have no counterpart here:
// rename keeps no attributes to lose and the program does not follow shortcuts.
#include "files/FileIo.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/FileFailure.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using files_detail::Failure;
using files_detail::LastStreamFailure;

}  // namespace

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
  fs::path temporary = target;
  temporary += ".saving";
  std::error_code ec;
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return LastStreamFailure();
    errno = 0;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (out) {
      out.close();
    }
    if (!out) {
      FileResult failure = LastStreamFailure();
      out.close();
      fs::remove(temporary, ec);
      return failure;
    }
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return Failure(ec);
  }
  return {};
}

}  // namespace qm
