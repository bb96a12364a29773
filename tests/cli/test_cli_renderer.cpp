// The command line renders in a program of its own: keltora itself loads no Qt, and a
// missing renderer is an error that names it, after the plot file has been written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/figure_transfer.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

TEST(CliRenderer, TheCommandLineLoadsNoQt)
{
    std::string libs;
    if (test::runCommand("ldd '" + test::cliPath().string() + "' 2>&1", &libs) != 0)
        GTEST_SKIP() << "ldd cannot read the program: " << libs;
    EXPECT_EQ(libs.find("libQt6"), std::string::npos) << libs;
    EXPECT_EQ(libs.find("libicu"), std::string::npos) << libs;
}

TEST(CliRenderer, AMissingRendererIsAnErrorAndThePlotFileStays)
{
    if (!fs::exists(test::cliPath().parent_path() / "keltora-render"))
        GTEST_SKIP() << "a build without Qt renders nothing";
    // A copy of keltora with no renderer beside it (nor in ../libexec/keltora).
    test::TempDir dir;
    const fs::path cli = dir / "bin" / "keltora";
    fs::create_directories(cli.parent_path());
    fs::copy_file(test::cliPath(), cli);
    const std::string sdw = (test::examplesDir() / "quay_backfill.SDW").string();
    std::string out;
    EXPECT_EQ(test::runCommand("'" + cli.string() + "' plot '" + sdw + "' --workdir '" +
                                   dir.path().string() + "' -o '" + (dir / "q.png").string() +
                                   "' 2>&1",
                               &out),
              2);
    EXPECT_NE(out.find("keltora plot: the rendering program keltora-render is not installed"),
              std::string::npos)
        << out;
    EXPECT_TRUE(fs::exists(dir / "SBPLOT01.VOV")) << out;
    EXPECT_FALSE(fs::exists(dir / "q.png"));

    EXPECT_EQ(test::runCommand("'" + cli.string() + "' report '" + sdw + "' --workdir '" +
                                   (dir / "r").string() + "' -o '" + (dir / "r.pdf").string() +
                                   "' 2>&1",
                               &out),
              2);
    EXPECT_NE(out.find("keltora report: the rendering program keltora-render"), std::string::npos)
        << out;
    EXPECT_TRUE(fs::exists(dir / "r" / "SB_CHECK.PDT")) << out;
    EXPECT_FALSE(fs::exists(dir / "r.pdf"));
}

TEST(CliRenderer, AComposedFigureReachesTheRendererBitForBit)
{
    Figure f;
    f.halfWidth = 190.25;
    f.halfHeight = -0.0;
    FigureItem text;
    text.kind = FigureItemKind::Text;
    text.layer = 20;
    text.p1 = {1.0 / 3.0, -2.5e-300};
    text.size = 3.5;
    text.size2 = 1.75;
    text.style = -1;
    text.text = std::string("安全率 1.234\0end", 20);
    FigureItem area;
    area.kind = FigureItemKind::Polygon;
    area.fill = 0xFF8000;
    area.points = {{0, 0}, {10, 0}, {10, 5.125}, {0.1, 0.2}};
    FigureItem arc;
    arc.kind = FigureItemKind::Arc;
    arc.centre = {1e300, -1e-300};
    f.items = {text, area, arc};

    const std::string bytes = cli::figureBytes(f);
    const std::optional<Figure> back = cli::figureFromBytes(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(cli::figureBytes(*back), bytes);
    ASSERT_EQ(back->items.size(), 3u);
    EXPECT_TRUE(std::signbit(back->halfHeight));
    EXPECT_EQ(back->items[0].text, text.text);
    EXPECT_EQ(back->items[0].p1.y, -2.5e-300);
    EXPECT_EQ(back->items[0].style, -1);
    EXPECT_EQ(back->items[1].kind, FigureItemKind::Polygon);
    EXPECT_EQ(back->items[1].fill, 0xFF8000u);
    EXPECT_EQ(back->items[1].points.size(), 4u);
    EXPECT_EQ(back->items[2].centre.x, 1e300);

    // Anything cut short, lengthened or of another kind is refused, never half read.
    for (std::size_t n = 0; n < bytes.size(); n += 7)
        EXPECT_FALSE(cli::figureFromBytes(bytes.substr(0, n))) << n;
    EXPECT_FALSE(cli::figureFromBytes(bytes + "x"));
    std::string badKind = bytes;
    badKind[std::string(cli::kFigureTransferMagic).size() + 24] = 9;
    EXPECT_FALSE(cli::figureFromBytes(badKind));
}

} // namespace
} // namespace keltora
