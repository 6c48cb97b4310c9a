#pragma once

// How the program decides that a file exists and which workbooks a folder
// holds. Paths are UTF-8.

#include <string>
#include <vector>

namespace rm {

// True for a name the program treats as absent whatever the file is: empty,
// starting with "." (hidden) or with "~$" (an office owner/lock file).
bool isHiddenName(const std::string& name);

// True when an entry exists under exactly this name (no wildcard expansion),
// is a regular file (a symbolic link to one counts), and is not hidden: its
// name does not start with "." nor with "~$" (an office owner/lock file).
bool isOrdinaryFile(const std::string& path);

// True when the system cannot handle the path at all (ENAMETOOLONG: the whole
// path is 4,096 bytes or more, or one of its names passes 255 bytes), so that
// "not found" would be the wrong thing to say about it.
bool isPathTooLong(const std::string& path);

// Names (not paths) of the ordinary files in `folder` whose names end in
// ".xls", ".xlsx" or ".ods", compared case-insensitively; sorted by name,
// case-insensitively.
// A folder that cannot be read gives an empty list.
std::vector<std::string> listWorkbookNames(const std::string& folder);

} // namespace rm
