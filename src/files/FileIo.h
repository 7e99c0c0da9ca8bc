// Reading and writing whole files, with the system's message on failure.
//
// Paths are in the file system's own encoding (as the file dialogs give them): the bytes as they
// stand on POSIX systems, UTF-8 on Windows (whose file names are UTF-16). The messages are
// the system's own text for the error (for example "Permission denied"), ASCII on the systems we
// build for; the caller puts them in front of the operator.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// A path string as a path object and back, in the encoding above.
std::filesystem::path FilePath(const std::string& path);
std::string PathText(const std::filesystem::path& path);

struct FileResult {
  bool ok = true;
  std::string systemMessage;  // empty when ok
};

// The largest file the loaders read: far above the biggest table any scale holds (4000 PLUs or
// 1000 messages make well under 2 MB), so a bigger file is not one of ours and is refused
// before anything is allocated for it.
inline constexpr std::size_t kMaxDataFileBytes = 16u << 20;

// Reads the whole file into `bytes`. A directory, a missing or unreadable file, a failing read
// or a file of more than `maxBytes` ("File too large") gives ok = false and leaves `bytes` empty.
FileResult ReadWholeFile(const std::string& path, std::string& bytes,
                         std::size_t maxBytes = kMaxDataFileBytes);

// Writes `bytes` as the file's complete new contents so that a failure never costs the previous
// file: the bytes go to a new temporary file beside the target, are flushed to the disk and then
// renamed over the target. On failure the temporary file is removed and the target is as it was.
//   - The temporary file's name is the target's with ".saving-PID-TAG-N" appended: the process
//     id, a tag drawn once per process and a count, so that no two saves, in one process or in
//     several, ever pick the same name. Leftovers of saves that were killed (this name or the
//     older ".saving", ".saving.N") are removed at the next save of the same file once they are
//     a minute old and their process no longer runs, or an hour old in any case.
//   - A symbolic link is followed: its target is written (atomically as above), the link stays.
//   - A file that is replaced keeps its permissions, and its owner and group where the system
//     lets the user give them.
//   - A file the user may not write is refused ("Permission denied"), as writing it in place
//     would be, even when the folder would let the user replace it; so is a folder.
//   - A device or a pipe that is there already (/dev/null, a FIFO a script reads) is written
//     into as it stands, never replaced (POSIX).
FileResult WriteWholeFile(const std::string& path, std::string_view bytes);

// Whether WriteWholeFile could write `path` now, asked before long work whose result goes there:
// the folder it would go in exists and the user may write in it, and the file, if there is one
// (after its links), is no folder and may be written. The failure is the system's message for
// the first thing that is wrong ("No such file or directory", "Not a directory", "Is a
// directory", "Permission denied").
FileResult CheckWritable(const std::string& path);

// What a path leads to, to tell whether two paths name one file: for a file that exists, its
// device and file number (so a link and its target, "./x" and "x", and hard links are one);
// for one that does not (yet), its absolute path with links resolved and "." and ".." taken
// out. Two identities are equal exactly when the paths name the same file.
struct FileIdentity {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::string path;  // when it does not exist
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};
FileIdentity IdentityOf(const std::string& path);

}  // namespace qm
