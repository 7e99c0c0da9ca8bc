#include "files/FileIo.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace qm {
namespace {

namespace fs = std::filesystem;

FileResult Failure(std::error_code code) {
  return {false, code.message()};
}

// The error of the last failed stream operation. The streams report failures through errno on
// the systems we build for; a failure without one is reported as an input/output error.
FileResult LastStreamFailure() {
  const int code = errno != 0 ? errno : EIO;
  return Failure(std::error_code(code, std::generic_category()));
}

}  // namespace

FileResult ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  const fs::path file(path);
  std::error_code ec;
  // Opening a directory for reading succeeds on some systems; only the read would fail.
  if (fs::is_directory(file, ec)) return Failure(std::make_error_code(std::errc::is_a_directory));
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) return LastStreamFailure();
  char chunk[1 << 16];
  for (;;) {
    errno = 0;
    in.read(chunk, sizeof chunk);
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
      bytes.clear();
      return LastStreamFailure();
    }
    if (in.eof()) break;
  }
  return {};
}

FileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
  const fs::path target(path);
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
