// Golden dump files of the straight slip examples, by angle and by segments (regenerate
// with KELTORA_UPDATE_GOLDEN=1 and review the diff).
#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;

TEST(LineGolden, WedgeDumps)
{
    struct Case {
        const char* example;
        const char* prefix;
        int levels;
    };
    for (const Case& c : {Case{"wedge_line.SDW", "wedge_line_", 2},
                          Case{"wedge_segments.SDW", "wedge_segments_", 1}}) {
        auto m = std::make_unique<SlopeModel>();
        resetModel(*m);
        ASSERT_EQ(readDataFile(*m, test::examplesDir() / c.example).status, 0);
        m->lineSlip.angleRefinement = c.levels;
        test::TempDir dir;
        auto results = std::make_unique<CalculationResults>();
        CalcOptions o;
        o.workDir = dir.path();
        o.now = std::tm{};
        ASSERT_EQ(runCalculation(*m, *results, o).status, 0);
        for (int level = 1; level <= c.levels; ++level) {
            const std::string name = "answer" + std::to_string(level) + ".dmp";
            const auto golden = test::testDataDir() / "methods" / (c.prefix + name);
            const std::string actual = test::readBytes(dir / name);
            if (test::updateGolden()) test::writeBytes(golden, actual);
            EXPECT_EQ(actual, test::readBytes(golden)) << c.prefix << name;
        }
    }
}
