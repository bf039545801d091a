// Status words the virtual card answers with besides success (0) and "not
// supported" (4): the driver's own failures.
#pragma once

#include <cstdint>

namespace sim {

constexpr uint32_t kStatusNack = 1;       // a device on the I2C bus did not answer
constexpr uint32_t kStatusBadRequest = 3; // a request the card cannot carry out

} // namespace sim
