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

FileResult ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
  bytes.clear();
  const fs::path file = FilePath(path);
  std::error_code ec;
  // Opening a directory for reading succeeds on some systems; only the read would fail.
  if (fs::is_directory(file, ec)) return Failure(std::make_error_code(std::errc::is_a_directory));
  const FileResult tooLarge = Failure(std::make_error_code(std::errc::file_too_large));
  // The size said up front spares reading a file that is too large; a device or a pipe says
  // none, so the reading below counts too.
  if (fs::is_regular_file(file, ec) && fs::file_size(file, ec) > maxBytes && !ec) return tooLarge;
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) return LastStreamFailure();
  char chunk[1 << 16];
  for (;;) {
    errno = 0;
    in.read(chunk, sizeof chunk);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > maxBytes - bytes.size()) {
      bytes.clear();
      bytes.shrink_to_fit();
      return tooLarge;
    }
    bytes.append(chunk, got);
    if (in.bad()) {
      bytes.clear();
      return LastStreamFailure();
    }
    if (in.eof()) break;
  }
  return {};
}

}  // namespace qm
