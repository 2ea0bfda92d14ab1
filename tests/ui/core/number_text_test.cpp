#include "ui/core/number_text.h"

#include <gtest/gtest.h>

TEST(NumberText, IntegersAreTruncatedTowardsZero)
{
    EXPECT_EQ(NumberText::toInteger(u"12.5"), 12);
    EXPECT_EQ(NumberText::toInteger(u"-12.5"), -12);
    EXPECT_EQ(NumberText::toInteger(u" 7 "), 7);
    EXPECT_EQ(NumberText::toInteger(u""), 0);
    EXPECT_EQ(NumberText::toInteger(u"abc"), 0);
    EXPECT_EQ(NumberText::toInteger(u"12abc"), 0);
    EXPECT_EQ(NumberText::toInteger(u"99999999999"), std::numeric_limits<int>::max());
}

TEST(NumberText, RealsPrintWithoutTrailingZeros)
{
    EXPECT_EQ(NumberText::fromReal(12), u"12"_qs);
    EXPECT_EQ(NumberText::fromReal(12.5), u"12.5"_qs);
    EXPECT_EQ(NumberText::fromReal(0), u"0"_qs);
    EXPECT_EQ(NumberText::fromReal(500000.5), u"500000.5"_qs);
}

TEST(NumberText, CountsReadWithGroupSeparators)
{
    EXPECT_EQ(NumberText::grouped(999939), u"999,939"_qs);
    EXPECT_EQ(NumberText::grouped(1000000), u"1,000,000"_qs);
    EXPECT_EQ(NumberText::grouped(1000), u"1,000"_qs);
    EXPECT_EQ(NumberText::grouped(999), u"999"_qs);
    EXPECT_EQ(NumberText::grouped(0), u"0"_qs);
    EXPECT_EQ(NumberText::grouped(-4096), u"-4,096"_qs);
}
