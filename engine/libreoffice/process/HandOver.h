#pragma once

#include <string>

namespace rm::lo {

// Opens `path` for the user in a process of its own that runs on after we
// end: the desktop's default application (xdg-open), or, where that is
// missing or fails, LibreOffice Calc with the user's own profile. Returns at
// once without waiting for the viewer. Throws rm::Error (HandOverFailed)
// when no process can be started.
void openWithDesktop(const std::string& path, const std::string& sofficePath);

} // namespace rm::lo
