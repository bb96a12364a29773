// `keltora plot` beyond the plot file: the DXF drawing of the figure and the
// factor-of-safety map (--map). None of this needs Qt; the rendered map is tested with the
// renderer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/dxf_import.h"
#include "test_support.h"

using namespace keltora;
namespace fs = std::filesystem;

namespace {

std::string q(const fs::path& p)
{
    return "'" + p.string() + "'";
}

int runCli(const std::string& args, std::string* out)
{
    return test::runCommand(q(test::cliPath()) + " " + args + " 2>&1", out);
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(CliPlotOutputs, DxfOfTheFigureLeavesThePlotFileAsItWas)
{
    test::TempDir dir;
    std::string out;
    const std::string file = q(test::examplesDir() / "embankment.SDW");
    fs::create_directories(dir / "plain");
    ASSERT_EQ(runCli("plot " + file + " --workdir " + q(dir / "plain"), &out), 0) << out;
    ASSERT_EQ(
        runCli("plot " + file + " --workdir " + q(dir.path()) + " -o " + q(dir / "f.DXF"), &out), 0)
        << out;
    EXPECT_TRUE(has(out, "f.DXF")) << out;
    EXPECT_EQ(test::readBytes(dir / "SBPLOT01.VOV"),
              test::readBytes(dir / "plain" / "SBPLOT01.VOV"))
        << "the plot file does not depend on -o";
    const std::string dxf = test::readBytes(dir / "f.DXF");
    EXPECT_EQ(dxf.rfind("  0\r\nSECTION\r\n", 0), 0u);
    EXPECT_TRUE(has(dxf, "06_CRITICAL_SURFACE"));
    const DxfReadResult r = readDxfFile(dir / "f.DXF");
    ASSERT_EQ(r.status, 0);
    EXPECT_GT(r.drawing.lineSegments, 50);
    EXPECT_GT(r.drawing.skippedEntities.at("TEXT"), 20);
    // The sheet: A3 (the example's paper) is 420 x 297 mm with the margin.
    EXPECT_LE(r.drawing.extents.xmax, 420.0);
    EXPECT_GE(r.drawing.extents.xmin, 0.0);
}

TEST(CliPlotOutputs, MapAsDxfAndTheRefusals)
{
    test::TempDir dir;
    std::string out;
    const std::string file = q(test::examplesDir() / "embankment.SDW");
    ASSERT_EQ(
        runCli("plot " + file + " --map --workdir " + q(dir.path()) + " -o " + q(dir / "map.dxf"),
               &out),
        0)
        << out;
    const std::string dxf = test::readBytes(dir / "map.dxf");
    EXPECT_TRUE(has(dxf, "17_FS_MAP_BANDS"));
    EXPECT_TRUE(has(dxf, "18_FS_MAP_CONTOURS"));
    EXPECT_TRUE(fs::exists(dir / "SBPLOT01.VOV")) << "the plot file is written as always";
    EXPECT_FALSE(has(test::readBytes(dir / "SBPLOT01.VOV"), "FS_MAP"));

    // --map without a file to write it to, and a straight slip section: refused before
    // anything is calculated.
    EXPECT_EQ(runCli("plot " + file + " --map --workdir " + q(dir / "w1"), &out), 2);
    EXPECT_TRUE(has(out, "--map needs -o")) << out;
    EXPECT_EQ(runCli("plot " + q(test::examplesDir() / "wedge_line.SDW") + " --map -o " +
                         q(dir / "m2.dxf") + " --workdir " + q(dir / "w2"),
                     &out),
              2);
    EXPECT_TRUE(has(out, "straight slip")) << out;
    EXPECT_FALSE(fs::exists(dir / "w2" / "answer1.dmp"));
    EXPECT_FALSE(fs::exists(dir / "m2.dxf"));

    // A DXF that cannot be written: exit 2, a message naming it.
    fs::create_directories(dir / "w3");
    fs::create_directories(dir / "w3" / "busy.dxf");
    EXPECT_EQ(
        runCli("plot " + file + " --workdir " + q(dir / "w3") + " -o " + q(dir / "w3" / "busy.dxf"),
               &out),
        2);
    EXPECT_TRUE(has(out, "busy.dxf")) << out;

    ASSERT_EQ(runCli("help plot", &out), 0);
    EXPECT_TRUE(has(out, "--map")) << out;
    EXPECT_TRUE(has(out, ".dxf")) << out;
}
