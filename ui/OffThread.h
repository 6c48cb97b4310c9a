#pragma once

#include <functional>

namespace rm::ui {

// Runs `work` on a thread of its own while the calling thread goes on
// handling its events (it repaints, answers the window manager); returns
// once `work` has ended, rethrowing whatever it threw.
void runOffThread(const std::function<void()>& work);

} // namespace rm::ui
