#include "engine/SystemError.h"

#include <system_error>

namespace rm {

std::string systemReason(int errorNumber)
{
    return std::error_code(errorNumber, std::system_category()).message();
}

} // namespace rm
