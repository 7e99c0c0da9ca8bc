// Reading and writing whole files, with the system's message on failure.
//
// Paths are in the file system's own encoding (as the file dialogs give them). The messages are
// the system's own text for the error (for example "Permission denied"), ASCII on the systems we
// build for; the caller puts them in front of the operator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct FileResult {
  bool ok = true;
  std::string systemMessage;  // empty when ok
};

// Reads the whole file into `bytes`. A directory, a missing or unreadable file, or a failing read
// gives ok = false and leaves `bytes` empty.
FileResult ReadWholeFile(const std::string& path, std::string& bytes);

// Writes `bytes` as the file's complete new contents so that a failure never costs the previous
// file: the bytes go to a temporary file beside the target (the target's name with ".saving"
// appended), which is then renamed over the target. On failure the temporary file is removed and
// the target is as it was.
FileResult WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace qm
