// Writing whole files on POSIX systems: see FileIo.h for the rules. The temporary file is made
// with O_EXCL and O_NOFOLLOW, so nothing another user put in a shared folder under its name is
// ever opened, and it is flushed to the disk before the rename, so a crash right after the save
// leaves the new file or the old one, never an empty one.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "files/FileFailure.h"
#include "files/FileIo.h"

namespace qm {
namespace {

FileResult Failure(int code) {
  return files_detail::Failure(std::error_code(code, std::generic_category()));
}

// The file a path names for writing: a symbolic link is followed to the file it points at,
// link after link (relative links from the link's own folder), and that file need not exist
// yet. ELOOP after as many links as the system would follow.
bool ResolveLinks(std::string& path, int& error) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) {
      error = errno;
      return false;
    }
    target.resize(static_cast<std::size_t>(n));
    if (target.empty() || target[0] != '/') {
      const std::size_t slash = path.find_last_of('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = std::move(target);
  }
  error = ELOOP;
  return false;
}

// Writes all of `bytes` to `fd`; false with errno set on failure (ENOSPC, EIO, ...).
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A new temporary file beside `target`, with the mode a new file gets (0666 less the umask). A
// name is taken only by a leftover of a process that had this one's id; the next count is free.
int CreateTemporary(const std::string& target, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = files_detail::TemporaryName(target);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

FileResult WriteInPlace(const std::string& target, std::string_view bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Failure(errno);
  if (!WriteAll(fd, bytes)) {
    const int code = errno;
    ::close(fd);
    return Failure(code);
  }
  if (::close(fd) != 0) return Failure(errno);
  return {};
}

}  // namespace

namespace files_detail {

long ThisProcessId() {
  return static_cast<long>(::getpid());
}

bool ProcessRuns(long pid) {
  // Not 0 or less: those would ask about a whole process group.
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

bool FileNumber(const std::filesystem::path& path, std::uint64_t& device, std::uint64_t& file) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  device = static_cast<std::uint64_t>(st.st_dev);
  file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

}  // namespace files_detail

std::filesystem::path FilePath(const std::string& path) {
  return std::filesystem::path(path);
}

std::string PathText(const std::filesystem::path& path) {
  return path.string();
}

FileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::string target = path;
  int error = 0;
  if (!ResolveLinks(target, error)) return Failure(error);

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode)) return Failure(EISDIR);
    // Writing in place would need write permission on the file itself; replacing it needs only
    // the folder's. Ask as the file would be opened.
    if (::access(target.c_str(), W_OK) != 0) return Failure(errno);
    // A device or a pipe (/dev/null, a script's FIFO) is written into: a file renamed into its
    // place would replace the device itself, for everyone on the machine.
    if (!S_ISREG(old.st_mode)) return WriteInPlace(target, bytes);
  }

  files_detail::ClearStaleTemporaries(target, std::filesystem::file_time_type::clock::now());
  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return Failure(errno);
  auto fail = [&](int code) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return Failure(code);
  };
  if (!WriteAll(fd, bytes)) return fail(errno);
  if (replacing) {
    // The owner first: giving a file away may clear its set-id bits, which the mode then puts
    // back. An owner the user may not give keeps the user's; the group alone may still go.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Neither: the file stays the user's, as a new file would be.
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(errno);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return Failure(code);
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return Failure(code);
  }
  return {};
}


FileResult CheckWritable(const std::string& path) {
  std::string target = path;
  int error = 0;
  if (!ResolveLinks(target, error)) return Failure(error);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Failure(EISDIR);
    if (::access(target.c_str(), W_OK) != 0) return Failure(errno);
    if (!S_ISREG(st.st_mode)) return {};  // written in place: its folder does not matter
  } else if (errno != ENOENT) {
    return Failure(errno);  // a file in the place of a folder on the way, a loop of links
  }
  const std::size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : target.substr(0, slash);
  if (::stat(folder.c_str(), &st) != 0) return Failure(errno);
  if (!S_ISDIR(st.st_mode)) return Failure(ENOTDIR);
  // Making the temporary file and renaming it need both.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return Failure(errno);
  return {};
}

}  // namespace qm
