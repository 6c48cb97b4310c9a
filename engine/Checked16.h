#pragma once

// 16-bit signed counters and indices that report leaving their range as the
// overflow error instead of wrapping.

#include <cstdint>

namespace rm {

// The value as a 16-bit signed integer; outside -32768..32767 the overflow error.
std::int16_t narrowToInt16(long long value);

// value + 1, or the overflow error past 32767.
std::int16_t incrementInt16(std::int16_t value);

class Error;

// The overflow error (number 6, "溢出").
Error overflowError();

// Throws the overflow error.
[[noreturn]] void throwOverflow();

} // namespace rm
