// Helpers of the gateway configuration unit tests.
#pragma once

#include "NumFormat.h"
#include "VXTTypes.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

// Sets the decimal separator for a scope.
struct Separator {
    explicit Separator(char c) : old(vxt::DecimalSeparator()) { vxt::SetDecimalSeparator(c); }
    ~Separator() { vxt::SetDecimalSeparator(old); }
    char old;
};

template <typename Tag>
void ExpectSameTag(const Tag &a, const Tag &b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Source, b.Source);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.BitPos, b.BitPos);
    EXPECT_EQ(a.ReadOnly, b.ReadOnly);
    EXPECT_EQ(a.Limits, b.Limits);
    EXPECT_EQ(a.Alarm, b.Alarm);
    EXPECT_EQ(a.EMail, b.EMail);
    EXPECT_EQ(a.Scale, b.Scale);
    EXPECT_EQ(a.FactorA, b.FactorA);
    EXPECT_EQ(a.FactorB, b.FactorB);
    EXPECT_EQ(a.Kind, b.Kind);
    for (auto [x, y] : {std::pair{a.WrMin, b.WrMin}, {a.WrMax, b.WrMax}, {a.AlMin, b.AlMin}, {a.AlMax, b.AlMax}}) {
        EXPECT_EQ(x.AsFloat, y.AsFloat);
        EXPECT_EQ(x.AsInteger, y.AsInteger);
        EXPECT_EQ(x.AsBoolean, y.AsBoolean);
    }
}

}  // namespace
