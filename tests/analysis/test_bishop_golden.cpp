// Golden dump files of the Bishop example: the stored masses of a small grid, the slice
// records of the last mass and its iteration trace (regenerate with
// KELTORA_UPDATE_GOLDEN=1 and review the diff).
#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;

TEST(BishopGolden, EmbankmentDumps)
{
    for (const int method : {kMethodBishop, kMethodBishopModified}) {
        auto m = std::make_unique<SlopeModel>();
        resetModel(*m);
        ASSERT_EQ(readDataFile(*m, test::examplesDir() / "embankment_bishop.SDW").status, 0);
        m->conditions.method = method;
        // A small grid around the critical circle keeps the files reviewable.
        m->bishopCircle.centreX = {8, 12, 2};
        m->bishopCircle.centreY = {20, 24, 2};
        m->bishopCircle.radius = {18, 26, 2};
        m->bishopCircle.finestGrid = 1;
        m->bishopCircle.firstGridExtension = 2;
        test::TempDir dir;
        auto results = std::make_unique<CalculationResults>();
        CalcOptions o;
        o.workDir = dir.path();
        o.now = std::tm{};
        ASSERT_EQ(runCalculation(*m, *results, o).status, 0);
        const std::string prefix = method == kMethodBishop ? "bishop_" : "bishop_modified_";
        for (const char* name : {"answer1.dmp", "bishop.dmp", "test_dmp.txt"}) {
            const auto golden = test::testDataDir() / "methods" / (prefix + name);
            const std::string actual = test::readBytes(dir / name);
            if (test::updateGolden()) test::writeBytes(golden, actual);
            EXPECT_EQ(actual, test::readBytes(golden)) << prefix << name;
        }
    }
}
