#pragma once

// The permission bits a file made for the user should get: those of the file
// it replaces, or what the user's umask gives a new one. The office runs
// under umask 077, so whatever it saves for the user is set to these after.

#include <optional>
#include <string>
#include <sys/types.h>

namespace rm {

// The permission bits of an existing file at `path` (links followed).
std::optional<mode_t> permissionsOf(const std::string& path);

// 0666 less this process's umask (read without changing it).
mode_t newFilePermissions();

} // namespace rm
