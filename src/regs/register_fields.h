// A described field inside a 32-bit register value: shift counts are taken
// modulo 32, and a width of 32 or more (or none) means the whole value from
// the shift up.
#pragma once

#include <cstdint>

#include <saa7146/dcard.h>

inline uint32_t fieldMask(const DCardRegInfo& field)
{
    uint32_t shift = static_cast<uint32_t>(field.shift) & 31;
    uint32_t ones = field.width >= 1 && field.width < 32 ? (1u << field.width) - 1 : 0xFFFFFFFFu;
    return ones << shift;
}

// The field's value in a register value, extended when the field is signed.
inline int32_t fieldValue(const DCardRegInfo& field, uint32_t registerValue)
{
    uint32_t v = registerValue >> (static_cast<uint32_t>(field.shift) & 31);
    if (field.width >= 1 && field.width < 32) {
        uint32_t mask = (1u << field.width) - 1;
        v &= mask;
        if (field.isSigned && (v >> (field.width - 1)) & 1)
            v |= ~mask;
    }
    return static_cast<int32_t>(v);
}

// The register value with the field replaced by value; bits of value beyond
// the field are dropped.
inline uint32_t withField(const DCardRegInfo& field, uint32_t registerValue, int32_t value)
{
    uint32_t mask = fieldMask(field);
    uint32_t shifted = static_cast<uint32_t>(value) << (static_cast<uint32_t>(field.shift) & 31);
    return (registerValue & ~mask) | (shifted & mask);
}
