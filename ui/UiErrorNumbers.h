#pragma once

// Numbers of failures the window itself reports (see also engine/ErrorNumbers.h).
namespace rm::ui::ErrorNumber {

// A failure that carried no number of ours (std::exception or anything else
// thrown through the merge command); the description names what is known.
constexpr int UnexpectedFailure = 3001;

} // namespace rm::ui::ErrorNumber
