// `keltora check` reports what the connection and block checks find, in words.
#include <gtest/gtest.h>

#include <memory>

#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
using namespace keltora::test;

TEST(CheckCommand, ReportsFindingsAndExitsWithOne)
{
    // A square with a line dangling from a corner, a point without lines and a block
    // whose inner point lies outside the square.
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {0, 0}, {10, 0}, {10, 10}, {0, 10}, {15, 15}, {30, 30}})
        addPoint(*m, x, y);
    for (int i = 0; i < 4; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 4);
    addLine(*m, kBoundaryLine, 2, 4);
    SoilBlock b;
    b.seed = {5, 5};
    addBlock(*m, b);
    b.seed = {20, 5};
    addBlock(*m, b);
    TempDir dir;
    ASSERT_TRUE(writeDataFile(*m, dir / "open.SDW").ok);

    std::string out;
    EXPECT_EQ(runCommand(cliPath().string() + " check " + (dir / "open.SDW").string(), &out), 1);
    EXPECT_NE(out.find("point 5 belongs to no line"), std::string::npos) << out;
    EXPECT_NE(out.find("boundary line 4 (points 2-4) is not part of a closed region"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("block 1: its inner point (20.000, 5.000) lies in no closed region"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("block 0:"), std::string::npos) << out;
    EXPECT_EQ(runCommand(cliPath().string() + " check " + (dir / "missing.SDW").string()), 2);
}
