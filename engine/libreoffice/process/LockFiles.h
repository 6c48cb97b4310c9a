#pragma once

#include <string>

namespace rm::lo {

// The office marks a document it has open for editing with a lock file
// beside it, ".~lock.NAME#", which names the office's user profile. An office
// that is killed leaves it behind, and every later save onto that name fails.

// Lock files are opened without following links and without blocking, and
// read only when regular and small: a FIFO, device or link planted in a lock
// file's place is never waited on or read.

// ".~lock.NAME#" beside `documentPath`.
std::string lockFilePathOf(const std::string& documentPath);

// Whether something other than a small regular file (a FIFO, device, link,
// or one we may not read) stands where `documentPath`'s lock file would be:
// a lock we cannot read, taken as held by someone else.
bool lockFileIsNoRegularFile(const std::string& documentPath);

// Whether the lock file of `documentPath` exists and names `profileUrl`.
bool isLockedBy(const std::string& profileUrl, const std::string& documentPath);

// Removes the lock file of `documentPath` when it names `profileUrl`.
void removeLockFileLeftBy(const std::string& profileUrl, const std::string& documentPath);

// After our own save to `documentPath` failed: removes its lock file when it
// names `profileUrl`, or is empty (a full disk left no room for its content).
void removeLockFileOfFailedSave(const std::string& profileUrl, const std::string& documentPath);

// Removes the lock file of `documentPath` when it was left by a private office
// of this program whose profile no longer exists: that office is gone (the
// profile goes with it), so the lock protects nothing. Locks of any other
// office, the user's own included, stay. An empty lock file names no office
// and protects nothing either: it goes too.
void removeStaleLockFileOfOurs(const std::string& documentPath);

} // namespace rm::lo
