// Tests of the plot command file: header records, record formats, golden files per method
// family, the hand-off file and the start of the plotter.
#include <gtest/gtest.h>

#include <cstdlib>

#include "model/text_encoding.h"
#include "output/external_program.h"
#include "output/plot_file.h"
#include "output/test_figure_section.h"
#include "test_support.h"

namespace keltora {
namespace {

using test::FigureSection;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        out.push_back(text.substr(pos, nl - pos));
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return out;
}

TEST(PlotFile, LengthsAndHeader)
{
    EXPECT_EQ(formatPlotLength(270.0), "27000000");
    EXPECT_EQ(formatPlotLength(0.000004), "0");
    // "%1.0lf" of -0.4 is "-0" in C; the file keeps the C bytes.
    EXPECT_EQ(formatPlotLength(-0.000004), "-0");
    EXPECT_EQ(formatPlotLength(-10.0), "-1000000");
    EXPECT_EQ(formatPlotLength(1.234567), "123457");

    // Sheet sizes by paper: A4, B4, A3 (codes 3 and 0).
    const struct {
        int paper;
        const char* em;
        const char* sz;
    } papers[] = {{1, "EM0,0,28000000,20000000", "SZ28000000,20000000"},
                  {2, "EM0,0,34000000,24000000", "SZ34000000,24000000"},
                  {3, "EM0,0,40000000,28000000", "SZ40000000,28000000"},
                  {0, "EM0,0,40000000,28000000", "SZ40000000,28000000"}};
    for (const auto& p : papers) {
        FigureSection s;
        s.model.draw.paper = p.paper;
        auto l = lines(plotFileText(composeFigure(s.model, s.results, &s.polygons)));
        ASSERT_GT(l.size(), 24u);
        EXPECT_EQ(l[0], "計算対照図");
        EXPECT_EQ(l[1], "SC1,0,0,0");
        EXPECT_EQ(l[2], p.em);
        EXPECT_EQ(l[3], p.sz);
    }
    FigureSection s;
    auto l = lines(plotFileText(composeFigure(s.model, s.results, &s.polygons)));
    EXPECT_EQ(l[4], "LT100000,100000,1,1,DOT10-10");
    EXPECT_EQ(l[7], "LT200000,100000,4,4,PHANTOM20-10");
    EXPECT_EQ(l[8], "LY0,25,7,1,01");
    EXPECT_EQ(l[9], "LY0,13,7,2,02");
    EXPECT_EQ(l[14], "LY0,25,7,7,07");
    EXPECT_EQ(l[19], "LY0,18,7,12,12");
    EXPECT_EQ(l[23], "LY0,13,7,16,16");
    // The frame follows the header: its bottom line on A4, then the bottom axis; the
    // drawing window sits 10 mm inside the sheet.
    EXPECT_EQ(l[24], "DL1000000,1000000,27000000,1000000,14");
    EXPECT_EQ(l[29], "DL2000000,2000000,27000000,2000000,14");
    // Records of the other kinds.
    bool arc = false, mark = false, arrow = false, text = false;
    for (const auto& r : l) {
        arc = arc || r.rfind("GC", 0) == 0;
        mark = mark || r.rfind("AP", 0) == 0;
        arrow = arrow || r.rfind("AH", 0) == 0;
        text = text || r == "VJ5600000,18100000,800000,800000,0,14,"
                            "円形すべり（修正フェレニウス法）計算対照図";
    }
    EXPECT_TRUE(arc && mark && arrow && text);

    // The bytes: CP932 with CR LF, and no line break inside a text.
    s.model.title = "二行の\n題名";
    const std::string bytes = plotFileBytes(composeFigure(s.model, s.results, &s.polygons));
    EXPECT_EQ(bytes.substr(0, 12), utf8ToCp932("計算対照図") + "\r\n");
    EXPECT_NE(bytes.find(utf8ToCp932("二行の 題名")), std::string::npos);
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') ++lf, crlf += i > 0 && bytes[i - 1] == '\r';
    EXPECT_EQ(lf, crlf);
}

// The golden plot files: one per method family, from fixed results.
TEST(PlotFile, GoldenFiles)
{
    struct Case {
        const char* name;
        int method;
    };
    for (const Case& c :
         {Case{"fellenius.VOV", kMethodFellenius}, Case{"bishop.VOV", kMethodBishop},
          Case{"line_segments.VOV", kMethodLineBySegments}}) {
        FigureSection s(c.method);
        if (c.method == kMethodFellenius) {
            s.model.sheetPile.method = 2;
            s.model.sheetPile.x = 27.0;
            s.model.sheetPile.topY = 6.0;
            s.model.sheetPile.toeY = -4.0;
            s.model.sheetPile.passiveCount = 3;
            s.model.sheetPile.passiveY = {5.0, 2.0, -4.0};
            s.model.sheetPile.passiveIntensity = {0.0, 30.0, 60.0};
            s.model.sheetPile.passiveLabelMode[2] = 1;
            s.model.sheetPile.passiveLabelX[2] = 33.0;
            s.model.sheetPile.passiveLabelY[2] = -3.0;
            s.model.display.showSheetPile = 1;
            s.model.display.showPassivePressure = 1;
            s.model.draw.sizes[kSizePressureArrow] = 0.5;
            s.results.critical.mry = 85.25;
        }
        const std::string bytes = plotFileBytes(composeFigure(s.model, s.results, &s.polygons));
        const auto golden = test::testDataDir() / "plot" / c.name;
        if (test::updateGolden()) test::writeBytes(golden, bytes);
        EXPECT_EQ(bytes, test::readBytes(golden)) << c.name;
    }
}

TEST(PlotFile, WritesFileAndHandOffAndStartsThePlotter)
{
    test::TempDir dir;
    FigureSection s;
    const Figure f = composeFigure(s.model, s.results, &s.polygons);

    // A plotter that records its working directory and the hand-off file it finds there.
    const auto script = dir / "fake-plotter.sh";
    test::writeBytes(script, "#!/bin/sh\necho \"$@\" > seen.txt\npwd >> seen.txt\n"
                             "cat DirPath2.inf >> seen.txt\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    // The override is a shell command line: it may carry options.
    ::setenv(kPlotterEnvironment, ("'" + script.string() + "' --print").c_str(), 1);
    int idleCalls = 0;
    std::string note;
    auto m = runPlotCommand(
        f, dir.path(), [&] { ++idleCalls; }, &note);
    ::unsetenv(kPlotterEnvironment);
    ASSERT_FALSE(m) << m->text;
    EXPECT_TRUE(note.empty()) << note;
    EXPECT_GE(idleCalls, 1);
    EXPECT_EQ(test::readBytes(dir / kPlotFileName), plotFileBytes(f));
    const std::string root = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(test::readBytes(dir / kPlotHandOffName), root + "/\r\nSBPLOT01.VOV\r\n$$$$$$$$\r\n");
    EXPECT_EQ(test::readBytes(dir / "seen.txt"),
              "--print\n" + root + "\n" + root + "/\r\nSBPLOT01.VOV\r\n$$$$$$$$\r\n");

    // A plotter that cannot be started is noted, not an error of the command.
    ::setenv(kPlotterEnvironment, (dir / "no-such-plotter").c_str(), 1);
    m = runPlotCommand(f, dir.path(), {}, &note);
    ::unsetenv(kPlotterEnvironment);
    EXPECT_FALSE(m);
    EXPECT_FALSE(note.empty());

    // Without the override: a program path, started directly.
    EXPECT_FALSE(startAndWait((dir / "no-such-plotter").string(), {}).started);
    ProgramOutcome ok = startAndWait("/bin/sh", {"-c", "exit 3"}, dir.path());
    EXPECT_TRUE(ok.started);
    EXPECT_EQ(ok.exitCode, 3);

    // A plot file that cannot be created: a message, and nothing else follows.
    test::TempDir other;
    const auto missing = other / "no" / "such" / "folder";
    ::setenv(kPlotterEnvironment, script.c_str(), 1);
    m = runPlotCommand(f, missing, {}, &note);
    ::unsetenv(kPlotterEnvironment);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->caption, "error");
    EXPECT_FALSE(std::filesystem::exists(missing / kPlotHandOffName));
}

} // namespace
} // namespace keltora

namespace keltora {
namespace {

TEST(PlotCommand, CalculatesAndWritesThePlotFile)
{
    test::TempDir dir;
    std::string out;
    const std::string cli = test::cliPath().string();
    const std::string sdw = (test::examplesDir() / "embankment.SDW").string();
    ASSERT_EQ(test::runCommand("'" + cli + "' plot '" + sdw + "' --workdir '" +
                                   dir.path().string() + "' 2>&1",
                               &out),
              0)
        << out;
    const std::string bytes = test::readBytes(dir / kPlotFileName);
    EXPECT_EQ(bytes.rfind(utf8ToCp932("計算対照図") + "\r\nSC1,0,0,0\r\n", 0), 0u);
    // The embankment is drawn on A4: the circle's arc and the minimum factor of safety.
    EXPECT_NE(bytes.find("\r\nSZ28000000,20000000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nGC"), std::string::npos);
    EXPECT_NE(bytes.find(utf8ToCp932("最小安全率 Fmin")), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / kPlotHandOffName));
    // A missing section file or a bad option: an error, no plot file.
    test::TempDir other;
    EXPECT_EQ(test::runCommand("'" + cli + "' plot '" + (other / "none.SDW").string() +
                                   "' --workdir '" + other.path().string() + "' 2>&1",
                               &out),
              2);
    EXPECT_FALSE(std::filesystem::exists(other / kPlotFileName));
    EXPECT_EQ(test::runCommand("'" + cli + "' plot 2>&1", &out), 2);
}

} // namespace
} // namespace keltora
