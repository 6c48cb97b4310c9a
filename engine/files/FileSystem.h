#pragma once

// Small file-system jobs shared by the engine, its bindings and the programs.

#include <optional>
#include <string>

namespace rm {

// The absolute, lexically normal form of `path` (a relative one is taken from
// the current folder; links are not resolved). A trailing "/" stays. `path`
// itself when it has no absolute form (the empty path).
std::string absolutePath(const std::string& path);

// $TMPDIR, or "/tmp" when it is unset or empty.
std::string temporaryFolder();

// Every byte of the file; nullopt when it cannot be opened.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace rm
