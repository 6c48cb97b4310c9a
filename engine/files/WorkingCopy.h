#pragma once

// The hidden working copy of the template, made beside the output and
// removed after a successful merge.

#include "engine/files/OutputPath.h"

#include <functional>
#include <string>

namespace rm {

// A uniform draw in [0, 1) at single precision.
using UnitDraw = std::function<float()>;

// A std::mt19937 seeded from the clock now; every call draws the next number.
UnitDraw clockSeededUnitDraw();

// floor(r * 9000 + 1000): four digits, 1000..9999.
int workingCopySuffix(float r);

// Candidates drawn before giving up with WorkingCopyNamesExhausted.
constexpr int kMaxWorkingCopyDraws = 100000;

// folder + "." + base name + suffix + extension (the base name cut short, at a
// character boundary, where the name or its lock file would pass 255 bytes),
// drawn again while any entry
// of that name exists; the template is copied there without ever replacing
// an existing file. Returns the working copy's path.
std::string makeWorkingCopy(const std::string& templatePath, const OutputPathParts& output, const UnitDraw& draw);
std::string makeWorkingCopy(const std::string& templatePath, const std::string& outputPath, const UnitDraw& draw);
// The same with a clock-seeded generator.
std::string makeWorkingCopy(const std::string& templatePath, const OutputPathParts& output);
std::string makeWorkingCopy(const std::string& templatePath, const std::string& outputPath);

// Deletes the working copy; WorkingCopyRemoveFailed when that fails.
void removeWorkingCopy(const std::string& workingCopyPath);

} // namespace rm
