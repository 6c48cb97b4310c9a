#include "engine/Checked16.h"

#include "engine/ErrorTexts.h"

#include <limits>

namespace rm {

Error overflowError()
{
    return ErrorText::overflow();
}

void throwOverflow()
{
    throw overflowError();
}

std::int16_t narrowToInt16(long long value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throwOverflow();
    return static_cast<std::int16_t>(value);
}

std::int16_t incrementInt16(std::int16_t value)
{
    return narrowToInt16(static_cast<long long>(value) + 1);
}

} // namespace rm
