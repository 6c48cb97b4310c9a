#pragma once

#include <string>

namespace rm {

// The system's reason for an errno value, for error descriptions.
std::string systemReason(int errorNumber);

} // namespace rm
