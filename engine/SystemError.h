#pragma once

#include <string>

namespace rm {

// The system's reason for an errno value, in Chinese, for error descriptions
// (an unusual value also gets the system's own words on a line of their own).
std::string systemReason(int errorNumber);

} // namespace rm
