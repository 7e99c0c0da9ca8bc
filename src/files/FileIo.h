// Reading and writing whole files, with the system's message on failure.
//
// Paths are in the file system's own encoding (as the file dialogs give them): the bytes as they
// stand on POSIX systems, UTF-8 on Windows (whose file names are UTF-16). The messages are
// the system's own text for the error (for example "Permission denied"), ASCII on the systems we
// build for; the caller puts them in front of the operator.
#pragma once

#include <cstddef>
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
// file: the bytes go to a new temporary file beside the target (the target's name with ".saving"
// appended, and a number when that name is taken), are flushed to the disk and then renamed over
// the target. On failure the temporary file is removed and the target is as it was.
//   - A symbolic link is followed: its target is written (atomically as above), the link stays.
//   - A file that is replaced keeps its permissions, and its owner and group where the system
//     lets the user give them.
//   - A file the user may not write is refused ("Permission denied"), as writing it in place
//     would be, even when the folder would let the user replace it; so is a folder.
FileResult WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace qm
