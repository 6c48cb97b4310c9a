#pragma once

// How an output path splits into the parts the working copy is named from.

#include <string>

namespace rm {

struct OutputPathParts {
    std::string folder;    // up to and including the last "/", empty for a bare name
    std::string baseName;  // the file name up to its last "."
    std::string extension; // the last "." of the file name and what follows; empty without a dot
};

// Throws OutputPathInvalid when the path names no file ("", ends in "/", "." or "..").
OutputPathParts splitOutputPath(const std::string& outputPath);

} // namespace rm
