// `keltora circle` and `keltora check` on the published example section (kept in
// tests/data/circle, written by this test with KELTORA_UPDATE_GOLDEN=1).
#include <gtest/gtest.h>

#include <memory>

#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
using namespace keltora::test;

namespace {

std::filesystem::path dataFile()
{
    return testDataDir() / "circle" / "fredlund_krahn.SDW";
}

// Fredlund & Krahn (1977), dry case, with its one circle as the search grid.
void writeSection()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    m->title = "Fredlund & Krahn 1977 dry case";
    for (auto [x, y] : std::initializer_list<std::pair<double, double>>{
             {0, 0}, {180, 0}, {180, 20}, {140, 20}, {60, 60}, {0, 60}})
        addPoint(*m, x, y);
    for (int i = 0; i < 6; ++i)
        addLine(*m, kBoundaryLine, i, (i + 1) % 6);
    SoilBlock b;
    b.seed = {50, 30};
    b.labelPos = b.seed;
    b.unitWeight = 120;
    b.effectiveUnitWeight = 120;
    b.baseCohesion = 600;
    b.frictionAngle = 20;
    addBlock(*m, b);
    m->felleniusCircle.direction = 1;
    m->felleniusCircle.centreX = {120, 120, 1};
    m->felleniusCircle.centreY = {90, 90, 1};
    m->felleniusCircle.radius = {80, 80, 1};
    ASSERT_TRUE(writeDataFile(*m, dataFile()).ok);
}

} // namespace

TEST(CircleCommand, PublishedExampleGolden)
{
    if (updateGolden()) writeSection();
    std::string out;
    const std::string cmd =
        cliPath().string() + " circle " + dataFile().string() + " --centre 120,90 --radius 80";
    ASSERT_EQ(runCommand(cmd, &out), 0) << out;
    EXPECT_NE(out.find("f=1.927"), std::string::npos) << out;
    EXPECT_NE(out.find("stored by the search"), std::string::npos) << out;
    const auto golden = testDataDir() / "circle" / "fredlund_krahn_circle.txt";
    if (updateGolden()) writeBytes(golden, out);
    EXPECT_EQ(out, readBytes(golden));

    EXPECT_EQ(runCommand(cliPath().string() + " circle " + dataFile().string() +
                         " --centre 120,90 --radius 0"),
              2);
    EXPECT_EQ(runCommand(cliPath().string() + " check " + dataFile().string(), &out), 0) << out;
    EXPECT_NE(out.find("no findings"), std::string::npos);
}

// The quay backfill example (sand-over-clay with C = C0 + K*Z, a water-pressure block in
// front, surcharge, a horizontal force, kh = 0.1) on a few circles: the golden output
// guards the slice arithmetic against changes made for speed.
TEST(CircleCommand, QuayBackfillGolden)
{
    std::string all;
    for (const char* c : {"--centre 30,14 --radius 20", "--centre 24,10 --radius 15",
                          "--centre 36,18 --radius 29", "--centre 22,6 --radius 14"}) {
        std::string out;
        ASSERT_EQ(runCommand(cliPath().string() + " circle " +
                                 (examplesDir() / "quay_backfill.SDW").string() + " " + c,
                             &out),
                  0)
            << out;
        all += out;
    }
    const auto golden = testDataDir() / "circle" / "quay_backfill_circles.txt";
    if (updateGolden()) writeBytes(golden, all);
    EXPECT_EQ(all, readBytes(golden));
}
