// Bit fields inside a register value: masks for every width, shifts modulo
// 32, sign extension.
#include <gtest/gtest.h>

#include "regs/register_fields.h"

namespace {

DCardRegInfo field(int shift, int width, bool isSigned)
{
    DCardRegInfo info{};
    info.shift = shift;
    info.width = width;
    info.isSigned = isSigned;
    return info;
}

TEST(RegisterFieldsTest, MasksForEveryWidth)
{
    EXPECT_EQ(fieldMask(field(24, 8, false)), 0xFF000000u);
    EXPECT_EQ(fieldMask(field(23, 1, false)), 0x00800000u);
    EXPECT_EQ(fieldMask(field(0, 31, false)), 0x7FFFFFFFu);
    EXPECT_EQ(fieldMask(field(0, 32, false)), 0xFFFFFFFFu);
    EXPECT_EQ(fieldMask(field(4, 40, false)), 0xFFFFFFF0u) << "32 or more: everything from the shift";
    EXPECT_EQ(fieldMask(field(36, 8, false)), 0x00000FF0u) << "shifts count modulo 32";
}

TEST(RegisterFieldsTest, ValuesAreExtendedOnlyWhenSigned)
{
    EXPECT_EQ(fieldValue(field(24, 8, true), 0x80000000u), -128);
    EXPECT_EQ(fieldValue(field(24, 8, false), 0x80000000u), 128);
    EXPECT_EQ(fieldValue(field(0, 12, true), 0x00000FFFu), -1);
    EXPECT_EQ(fieldValue(field(0, 12, true), 0x000007FFu), 2047);
    EXPECT_EQ(fieldValue(field(8, 32, true), 0x80000000u), 0x00800000) << "whole values shift logically";
    EXPECT_EQ(fieldValue(field(0, 32, true), 0xFFFFFFFEu), -2);
}

TEST(RegisterFieldsTest, WritesKeepTheOtherBitsAndDropExcess)
{
    EXPECT_EQ(withField(field(24, 8, false), 0x12345678u, 0x1FF), 0xFF345678u);
    EXPECT_EQ(withField(field(0, 8, false), 0x12345678u, 300), 0x1234562Cu);
    EXPECT_EQ(withField(field(8, 8, true), 0x12345678u, -1), 0x1234FF78u);
    EXPECT_EQ(withField(field(0, 32, false), 0x12345678u, 7), 7u);
}

} // namespace
