// Conversions between host numbers (fixed-point, times 1024) and plain quantities. The library
// scales by 0.0009765 rather than 1/1024, and each form below fixes the exact arithmetic that
// scripts depend on: multiplication first, then division, truncation toward zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tamrilo::host {

// Truncates a number that is not NaN (any product or quotient of integers and finite constants)
// toward zero into a signed 32-bit integer, saturating instead of overflowing.
inline std::int32_t truncate_finite_to_int32(double x) {
    if (x >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// As above, and NaN gives 0.
inline std::int32_t truncate_to_int32(double x) { return std::isnan(x) ? 0 : truncate_finite_to_int32(x); }

inline std::int32_t saturate_to_int32(std::int64_t x) {
    if (x > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (x < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// The interface version as the version check sees it: 1536 gives 1.499904.
inline double version_number(std::int32_t raw) { return raw * 976.5 / 1000000.0; }

// The next two scale by a factor below 1, so no 32-bit input leaves the 32-bit range or gives NaN,
// and the quotient truncates without a saturating test. The assertions evaluate both ends of the
// input range at build time (a conversion out of range would not compile); rounding is monotonic,
// so every input in between stays inside too.

// Effect magnitudes, offsets, coefficients and dead bands: 10240 (10.0) gives 9.
constexpr std::int32_t device_units(std::int32_t raw) { return static_cast<std::int32_t>(raw * 9.765 / 10000.0); }

// Effect periods: a host number of milliseconds into microseconds, 1024 (1.0) gives 999.
constexpr std::int32_t time_units(std::int32_t raw) { return static_cast<std::int32_t>(raw * 9.765 / 10.0); }

static_assert(device_units(std::numeric_limits<std::int32_t>::min()) == -2097017);
static_assert(device_units(std::numeric_limits<std::int32_t>::max()) == 2097017);
static_assert(time_units(std::numeric_limits<std::int32_t>::min()) == -2097017782);
static_assert(time_units(std::numeric_limits<std::int32_t>::max()) == 2097017781);

// Axis properties, in integer arithmetic. The products are formed in 64 bits so that inputs
// beyond about 214.8 percent cannot overflow; every in-range input gives the 32-bit result.
inline std::int64_t percent_to_device(std::int32_t raw) { return std::int64_t{raw} * 9765 / 100000; }
inline std::int32_t device_to_percent(std::int64_t device) { return saturate_to_int32(device * 100000 / 9765); }

}  // namespace tamrilo::host
