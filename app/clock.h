#pragma once
// The millisecond clock a spin's pick is read from, and its two sources.

#include <cstdint>

namespace kelvra {

// Wall-clock milliseconds since 1970-01-01 00:00 UTC, read through the script component; where
// that gives no number, from the system clock directly.
int64_t CurrentTimeMs();
// The script component's reading alone: 0 when it cannot be had.
int64_t ScriptTimeMs();
// The system clock's reading.
int64_t SystemTimeMs();

}  // namespace kelvra
