#include "DscPkt.h"

#include <gtest/gtest.h>

using namespace vxt;

TEST(DscPkt, BuildsPackets)
{
    EXPECT_EQ(DscMakeCommand("hello"), "HELLO()");
    EXPECT_EQ(DscAddParam("5", "HELLO()"), "HELLO(5)");
    EXPECT_EQ(DscAddParam("6", "HELLO(5)"), "HELLO(5,6)");
    EXPECT_EQ(DscAddParam("2", DscAddParam("1", DscMakeCommand("hello"))), "HELLO(1,2)");
    // An empty first parameter leaves "()", so the next one takes its place.
    EXPECT_EQ(DscAddParam("", DscMakeCommand("config")), "CONFIG()");
    EXPECT_EQ(DscAddParam("00-11", DscAddParam("", DscMakeCommand("config"))), "CONFIG(00-11)");
    EXPECT_EQ(DscAddParam("", "CONFIG(pw)"), "CONFIG(pw,)");
}

TEST(DscPkt, ReadsParametersByPosition)
{
    const std::string p = "NTM(a,b,c)";
    EXPECT_EQ(DscGetParam(p, 1), "a");
    EXPECT_EQ(DscGetParam(p, 2), "b");
    EXPECT_EQ(DscGetParam(p, 3), "c");
    EXPECT_EQ(DscGetParam(p, 4), "");
    EXPECT_EQ(DscGetParam(p, 0), "");
    EXPECT_EQ(DscGetParam(p, -3), "");
    EXPECT_EQ(DscGetParam("ACK(00-11-22-33-44-55)", 1), "00-11-22-33-44-55");
    EXPECT_EQ(DscGetParam("ACK(00-11-22-33-44-55)", 2), "");
    EXPECT_EQ(DscGetParam("NTM(1118,2.1.0,00-11-22-33-44-55,10.0.0.2,255.0.0.0,0.0.0.0,0,)", 8), "");
    EXPECT_EQ(DscGetParam("NTM(1118,2.1.0,00-11-22-33-44-55,10.0.0.2,255.0.0.0,0.0.0.0,0,dev)", 8), "dev");
    EXPECT_EQ(DscGetParam("NTM(1118,,x)", 2), "");
}

TEST(DscPkt, MalformedPacketsYieldEmpty)
{
    EXPECT_EQ(DscGetParam("NTM(a,(),c)", 1), "");
    EXPECT_FALSE(DscHasParam("NTM(a,(),c)", 1));
    EXPECT_EQ(DscGetParam("", 1), "");
    EXPECT_EQ(DscGetParam("NTM", 1), "");
    EXPECT_EQ(DscGetParam("NTM(abc", 1), "");
    EXPECT_EQ(DscGetParam("NTM(a,b", 2), "");   // the last character is taken for the ")"
    EXPECT_EQ(DscGetParam("(", 2), "");
    EXPECT_EQ(DscGetParam(")x(", 1), "");
    EXPECT_EQ(DscAddParam("x", ""), ",x)");
}

TEST(DscPkt, HasParamAndCommandTest)
{
    EXPECT_TRUE(DscHasParam("NTM(a,b)", 1));
    EXPECT_TRUE(DscHasParam("NTM(a,b)", 2));
    EXPECT_FALSE(DscHasParam("NTM(a,b)", 3));
    EXPECT_TRUE(DscHasParam("NTM(a)", 1));
    EXPECT_FALSE(DscHasParam("NTM(a)", 2));
    EXPECT_FALSE(DscHasParam("HELLO()", 1));
    EXPECT_TRUE(DscIsCommand("ntm", "NTM(1118)"));
    EXPECT_FALSE(DscIsCommand("NTM", "ntm(1118)"));
    EXPECT_TRUE(DscIsCommand("NTM", "NTMX(1)"));   // a prefix test
    EXPECT_FALSE(DscIsCommand("NTM", "NT"));
}
