#include "files/FileIo.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>

#include "files/FileFailure.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using files_detail::Failure;
using files_detail::LastStreamFailure;

bool AllOf(const std::string& text, const char* digits) {
  return !text.empty() && text.find_first_not_of(digits) == std::string::npos;
}

// Whether `rest`, what follows "NAME.saving" in a folder entry, makes it a temporary file of a
// save of NAME, and the id of the process that made it when the name tells: "", ".N" (older
// saves) or "-PID-TAG-N".
bool TemporarySuffix(const std::string& rest, std::optional<long>& pid) {
  if (rest.empty()) return true;
  if (rest[0] == '.') return AllOf(rest.substr(1), "0123456789");
  if (rest[0] != '-') return false;
  const std::size_t tag = rest.find('-', 1);
  const std::size_t count = tag == std::string::npos ? tag : rest.find('-', tag + 1);
  if (count == std::string::npos) return false;
  const std::string id = rest.substr(1, tag - 1);
  if (!AllOf(id, "0123456789") || id.size() > 9 ||
      !AllOf(rest.substr(tag + 1, count - tag - 1), "0123456789abcdef") ||
      !AllOf(rest.substr(count + 1), "0123456789")) {
    return false;
  }
  pid = std::stol(id);
  return true;
}

}  // namespace

namespace files_detail {

std::string TemporaryName(const std::string& target) {
  static const unsigned tag = std::random_device()();
  static std::atomic<unsigned long long> count{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".saving-%ld-%08x-%llu", ThisProcessId(), tag,
                count.fetch_add(1));
  return target + suffix;
}

void ClearStaleTemporaries(const fs::path& target, fs::file_time_type now) {
  // A save takes seconds at most: a minute-old file of a process that is gone is a leftover, and
  // an hour-old one is whatever its name says (a process id may be taken again).
  using std::chrono::hours;
  using std::chrono::minutes;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = PathText(target.filename()) + ".saving";
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = PathText(it->path().filename());
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    std::optional<long> pid;
    if (!TemporarySuffix(name.substr(prefix.size()), pid)) continue;
    std::error_code fileError;
    if (!fs::is_regular_file(it->symlink_status(fileError))) continue;
    const fs::file_time_type written = fs::last_write_time(it->path(), fileError);
    if (fileError) continue;
    const auto age = now - written;
    const bool gone = !pid || !ProcessRuns(*pid);
    if (age >= hours(1) || (age >= minutes(1) && gone)) fs::remove(it->path(), fileError);
  }
}

}  // namespace files_detail

FileIdentity IdentityOf(const std::string& path) {
  FileIdentity id;
  fs::path p = FilePath(path);
  if (files_detail::FileNumber(p, id.device, id.file)) {
    id.exists = true;
    return id;
  }
  std::error_code ec;
  p = fs::absolute(p, ec);
  // A link to a file not made yet leads to where the file will be made.
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  const fs::path normal = fs::weakly_canonical(p, ec);
  id.path = PathText((ec ? p : normal).lexically_normal());
  return id;
}

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
