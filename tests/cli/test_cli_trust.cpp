// The command line an engineer can trust: no verdict from a file that did not read cleanly,
// outputs that never overwrite inputs, options and values that name themselves, help for
// every command, and exit codes that mean what they say.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/sdw_file.h"
#include "model/text_encoding.h"
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

// The benchmark section cut after line 190: read with defaults for the rest, it would
// give "OK" where the whole file is OUT.
fs::path cutBenchmark(const test::TempDir& dir)
{
    const std::string full = test::readBytes(test::examplesDir() / "benchmark.SDW");
    std::size_t pos = 0;
    for (int k = 0; k < 190; ++k)
        pos = full.find('\n', pos) + 1;
    test::writeBytes(dir / "cut.SDW", full.substr(0, pos));
    return dir / "cut.SDW";
}

} // namespace

TEST(CliTrust, NoVerdictFromAFileThatDidNotReadCleanly)
{
    test::TempDir dir;
    const fs::path cut = cutBenchmark(dir);
    const std::string before = test::readBytes(cut);
    std::string out;
    const std::string work = " --workdir " + q(dir / "w");
    for (const std::string& command :
         {"calc " + q(cut) + work, "plot " + q(cut) + work, "report " + q(cut) + work,
          "circle " + q(cut) + " --centre 0,0 --radius 5",
          "line " + q(cut) + " --start 0,0 --angle 10"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(runCli(command, &out), 2) << out;
        EXPECT_TRUE(has(out, cut.string() + ":190: ")) << out;
        EXPECT_TRUE(has(out, "--accept-warnings")) << out;
        EXPECT_FALSE(has(out, "判定")) << out;
    }
    EXPECT_FALSE(fs::exists(dir / "w" / "answer1.dmp"));

    // With the option the run goes on, and says so.
    EXPECT_EQ(
        runCli("calc " + q(cut) + " --quiet --accept-warnings --workdir " + q(dir / "w"), &out), 0)
        << out;
    EXPECT_TRUE(has(out, "--accept-warnings")) << out;
    EXPECT_TRUE(has(out, "判定")) << out;

    // check reports the warnings as findings; info shows them and succeeds.
    EXPECT_EQ(runCli("check " + q(cut), &out), 1);
    EXPECT_TRUE(has(out, "did not read cleanly")) << out;
    EXPECT_TRUE(has(out, "line 190:")) << out;
    EXPECT_EQ(runCli("info " + q(cut), &out), 0);

    // save and the imports do not write it back over itself without the option; a copy
    // elsewhere is allowed.
    EXPECT_EQ(runCli("save " + q(cut), &out), 2);
    EXPECT_EQ(
        runCli("import-piles " + q(cut) + " " + q(test::examplesDir() / "EXP_TVR1.DAT"), &out), 2);
    EXPECT_EQ(test::readBytes(cut), before);
    EXPECT_EQ(runCli("save " + q(cut) + " -o " + q(dir / "copy.SDW"), &out), 0) << out;
    EXPECT_EQ(runCli("save " + q(cut) + " --accept-warnings", &out), 0) << out;
    EXPECT_NE(test::readBytes(cut), before);
}

TEST(CliTrust, MeaninglessValuesAreFindingsAndWarnings)
{
    test::TempDir dir;
    SlopeModel m;
    ASSERT_EQ(readDataFile(m, test::examplesDir() / "embankment.SDW").status, 0);
    m.blocks[0].unitWeight = -18.0;
    m.blocks[0].frictionAngle = 95.0;
    ASSERT_TRUE(writeDataFile(m, dir / "neg.SDW").ok);
    std::string out;
    EXPECT_EQ(runCli("check " + q(dir / "neg.SDW"), &out), 1);
    EXPECT_TRUE(has(out, "Physically meaningless values (2)")) << out;
    runCli("calc " + q(dir / "neg.SDW") + " --quiet --workdir " + q(dir / "w"), &out);
    const std::size_t warning = out.find("[警告] ブロック0の湿潤単位体積重量γtが負の値 -18.000");
    ASSERT_NE(warning, std::string::npos) << out;
    EXPECT_TRUE(has(out, "95.000 度")) << out;

    // An unknown method code is explained, not shown as "cm.kt != 0,1" alone.
    m.blocks[0].unitWeight = 18.0;
    m.blocks[0].frictionAngle = 30.0;
    m.conditions.method = 7;
    ASSERT_TRUE(writeDataFile(m, dir / "m7.SDW").ok);
    EXPECT_EQ(runCli("calc " + q(dir / "m7.SDW") + " --quiet --workdir " + q(dir / "w"), &out), 2);
    EXPECT_TRUE(has(out, "検討方法のコード 7")) << out;
    EXPECT_TRUE(has(out, "0 修正フェレニウス法")) << out;
    EXPECT_EQ(runCli("check " + q(dir / "m7.SDW"), &out), 1);
    EXPECT_TRUE(has(out, "検討方法のコード 7 は使えません")) << out;
}

TEST(CliTrust, OutputsNeverOverwriteInputs)
{
    test::TempDir dir;
    fs::copy_file(test::examplesDir() / "embankment.SDW", dir / "a.SDW");
    const std::string section = test::readBytes(dir / "a.SDW");
    test::writeBytes(dir / "c.DXF", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n5\n21\n0\n"
                                    "0\nENDSEC\n0\nEOF\n");
    const std::string drawing = test::readBytes(dir / "c.DXF");
    std::string out;
    EXPECT_EQ(runCli("report " + q(dir / "a.SDW") + " -o " + q(dir / "a.SDW") + " --workdir " +
                         q(dir / "w"),
                     &out),
              2);
    EXPECT_TRUE(has(out, "is the input file")) << out;
    EXPECT_FALSE(fs::exists(dir / "w" / "answer1.dmp")) << "refused before anything is written";
    fs::create_symlink("a.SDW", dir / "fig.png"); // a figure name that is the section
    EXPECT_EQ(runCli("plot " + q(dir / "a.SDW") + " -o " + q(dir / "fig.png"), &out), 2);
    EXPECT_EQ(runCli("import-dxf " + q(dir / "a.SDW") + " " + q(dir / "c.DXF") + " -o " +
                         q(dir / "c.DXF"),
                     &out),
              2);
    // Through a link, too.
    fs::create_symlink("a.SDW", dir / "alias.pdf");
    EXPECT_EQ(runCli("report " + q(dir / "a.SDW") + " -o " + q(dir / "alias.pdf") + " --workdir " +
                         q(dir / "w"),
                     &out),
              2);
    // An input that lies in the working folder under the name of a file the run writes.
    fs::copy_file(dir / "a.SDW", dir / "answer1.dmp");
    EXPECT_EQ(
        runCli("calc " + q(dir / "answer1.dmp") + " --quiet --workdir " + q(dir.path()), &out), 2);
    EXPECT_TRUE(has(out, "working folder")) << out;
    EXPECT_EQ(test::readBytes(dir / "a.SDW"), section);
    EXPECT_EQ(test::readBytes(dir / "answer1.dmp"), section);
    EXPECT_EQ(test::readBytes(dir / "c.DXF"), drawing);
}

TEST(CliTrust, HelpVersionAndOptionsThatNameThemselves)
{
    std::string out;
    EXPECT_EQ(runCli("--version", &out), 0);
    EXPECT_TRUE(has(out, "keltora 0.")) << out;
    EXPECT_EQ(runCli("--help", &out), 0);
    for (const char* command : {"info", "save", "check", "calc", "plot", "report", "line", "circle",
                                "import-dxf", "import-piles"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(has(out, std::string("  ") + command + " ")) << out;
        std::string help;
        EXPECT_EQ(runCli(std::string(command) + " --help", &help), 0) << help;
        EXPECT_TRUE(has(help, std::string("usage: keltora ") + command)) << help;
        EXPECT_TRUE(has(help, "Exit codes")) << help;
    }
    const std::string file = q(test::examplesDir() / "embankment.SDW");
    struct Case {
        std::string args;
        std::string told;
    };
    for (const Case& c :
         {Case{"calc " + file + " --threads 0", "--threads must be 1..256"},
          Case{"calc " + file + " --threads x", "--threads must be 1..256"},
          Case{"report " + file + " --threads 300", "--threads must be 1..256"},
          Case{"calc " + file + " --frobnicate", "unknown option --frobnicate"},
          Case{"calc " + file + " --workdir", "--workdir needs a value"},
          Case{"calc", "a section file is needed"},
          Case{"import-dxf " + file + " d.DXF --scale -2",
               "--scale must be a number greater than 0"},
          Case{"import-dxf " + file + " d.DXF --shift 1", "--shift expects X,Y"},
          Case{"circle " + file + " --centre 1,2 --radius 0", "--radius must be greater than 0"},
          Case{"line " + file + " --start 0,0", "give either --angle A or --end X,Y"},
          Case{"plot " + file + " -o figure.jpg", "unknown figure format"}}) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(runCli(c.args, &out), 2);
        EXPECT_TRUE(has(out, c.told)) << out;
        EXPECT_TRUE(has(out, "usage: keltora")) << out;
    }
}

TEST(CliTrust, ExitCodesOfPlotAndReportAreThoseOfCalc)
{
    test::TempDir dir;
    std::string out;
    // quay_coarse is OUT: calc, plot and report all exit 1 and still write their files.
    const std::string quay = q(test::testDataDir() / "calc" / "quay_coarse.SDW");
    EXPECT_EQ(runCli("calc " + quay + " --quiet --workdir " + q(dir / "c"), &out), 1) << out;
    EXPECT_EQ(runCli("plot " + quay + " --workdir " + q(dir / "p"), &out), 1) << out;
    EXPECT_TRUE(fs::exists(dir / "p" / "SBPLOT01.VOV"));
    const int report = runCli("report " + quay + " --workdir " + q(dir / "r"), &out);
    EXPECT_TRUE(fs::exists(dir / "r" / "SB_ANS10.PDT"));
    if (fs::exists(test::cliPath().parent_path() / "keltora-report-viewer")) {
        EXPECT_EQ(report, 1) << out;
        EXPECT_TRUE(fs::exists(dir / "r" / "report.pdf"));
        EXPECT_FALSE(has(out, "QStandardPaths")) << out; // no Qt noise
        EXPECT_FALSE(has(out, "QPainter")) << out;
    }
    // The figure format is checked before the calculation: nothing is written.
    EXPECT_EQ(runCli("plot " + quay + " -o fig.bmp --workdir " + q(dir / "x"), &out), 2);
    EXPECT_FALSE(fs::exists(dir / "x"));
    // So is the output's folder: no calculation runs for a figure that cannot be written.
    EXPECT_EQ(
        runCli("plot " + quay + " -o " + q(dir / "none" / "f.png") + " --workdir " + q(dir / "y"),
               &out),
        2);
    EXPECT_TRUE(has(out, "does not exist")) << out;
    EXPECT_FALSE(has(out, "判定")) << out;
    EXPECT_EQ(
        runCli("report " + quay + " -o " + q(dir.path()) + " --workdir " + q(dir / "y"), &out), 2);
    EXPECT_TRUE(has(out, "is a folder")) << out;
    EXPECT_FALSE(fs::exists(dir / "y" / "answer1.dmp"));
}
