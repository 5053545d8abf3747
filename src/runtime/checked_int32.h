#pragma once

// 32-bit integer arithmetic with the classic runtime's rule: a result that does not fit raises
// "Overflow" instead of wrapping around.

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/errors.h"

namespace tw::checked {

constexpr std::int32_t toInt32(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw overflowError();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t add(std::int32_t a, std::int32_t b) {
    return toInt32(std::int64_t{a} + b);
}
constexpr std::int32_t subtract(std::int32_t a, std::int32_t b) {
    return toInt32(std::int64_t{a} - b);
}
constexpr std::int32_t multiply(std::int32_t a, std::int32_t b) {
    return toInt32(std::int64_t{a} * b);
}

// Rounds to the nearest integer, halves to even; not a number or out of range is Overflow.
inline std::int32_t roundToInt32(double value) {
    const double rounded = std::nearbyint(value);  // ties to even in the default rounding mode
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw overflowError();
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace tw::checked
