#pragma once

// Opens a file or web address with the program the desktop associates with
// it, without waiting for that program.

#include <QUrl>

#include <functional>

namespace rm::ui {

// Runs xdg-open on `url`. When it fails (no program for the file's type,
// the file is gone, xdg-open missing), `failed` is called later on the
// calling thread. Without `failed`, the outcome is not looked at.
void openWithDesktop(const QUrl& url, const std::function<void()>& failed);

} // namespace rm::ui
