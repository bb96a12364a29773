// Failing disks: saves, dumps, report and plot files that cannot be written are reported,
// old files stay intact, and the runs end cleanly with a non-zero exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/calculation.h"
#include "model/sdw_file.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string quote(const fs::path& p)
{
    return "'" + p.string() + "'";
}

// Dumps whose name is taken by a folder with a file in it (which the stale-dump removal
// cannot delete either) are reported per file; the search still gives its verdict.
TEST(FailurePaths, DumpsThatCannotBeCreatedAreReportedAndTheRunEnds)
{
    const std::pair<fs::path, const char*> sections[] = {
        {test::testDataDir() / "calc" / "quay_coarse.SDW", "answer1.dmp"},
        {test::examplesDir() / "embankment_bishop.SDW", "answer1.dmp"},
        {test::examplesDir() / "wedge_line.SDW", "answer2.dmp"},
        {test::examplesDir() / "wedge_segments.SDW", "answer1.dmp"}};
    for (const auto& [section, dump] : sections) {
        SCOPED_TRACE(section.filename().string());
        TempDir dir;
        fs::create_directory(dir / dump);
        test::writeBytes(dir / dump / "keep", "x");
        SlopeModel m;
        ASSERT_EQ(readDataFile(m, section).status, 0);
        CalculationResults results;
        CalcOptions opts;
        opts.workDir = dir.path();
        const CalcOutcome out = runCalculation(m, results, opts);
        EXPECT_EQ(out.status, 0);
        ASSERT_GE(out.messages.size(), 2u);
        int reported = 0;
        for (const Message& msg : out.messages)
            if (msg.text == "ダンプファイル " + std::string(dump) + " を書き込めませんでした。") {
                EXPECT_EQ(msg.caption, "ERROR");
                ++reported;
            }
        EXPECT_EQ(reported, 1);
        EXPECT_NE(out.verdict, Verdict::None) << "the results stand without the dump";
        EXPECT_EQ(out.messages.back().caption, "終わり");
    }
}

// A working folder that is a regular file: calc, report and plot refuse it with exit 2.
TEST(FailurePaths, CommandsRefuseAWorkingFolderThatIsAFile)
{
    TempDir dir;
    test::writeBytes(dir / "notdir", "x");
    const fs::path section = test::testDataDir() / "calc" / "quay_coarse.SDW";
    for (const char* command : {"calc", "report", "plot"}) {
        std::string out;
        const int rc = test::runCommand("KELTORA_PLOTTER=true KELTORA_REPORT_VIEWER=true " +
                                            quote(test::cliPath()) + " " + command + " " +
                                            quote(section) + " --workdir " + quote(dir / "notdir"),
                                        &out);
        EXPECT_EQ(rc, 2) << command << ": " << out;
        EXPECT_NE(out.find("is not a folder"), std::string::npos) << out;
    }
}

// The hand-off files of the viewers taken by folders: named, and exit 2.
TEST(FailurePaths, HandOffFilesThatCannotBeCreated)
{
    TempDir dir;
    fs::create_directories(dir / "DirPath.inf" / "x");
    fs::create_directories(dir / "DirPath2.inf" / "x");
    const std::string run = "cd " + quote(dir.path()) +
                            " && KELTORA_PLOTTER=true KELTORA_REPORT_VIEWER=true " +
                            quote(test::cliPath()) + " ";
    const std::string quay = quote(test::testDataDir() / "calc" / "quay_coarse.SDW");
    std::string out;
    EXPECT_EQ(test::runCommand(run + "plot " + quay, &out), 2) << out;
    EXPECT_NE(out.find("DirPath2.inf を作成できません。"), std::string::npos) << out;
    EXPECT_EQ(test::runCommand(run + "report " + quay + " -o r.pdf", &out), 2) << out;
    EXPECT_NE(out.find("DirPath.inf を作成できませんでした。"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir / "r.pdf"));
}

// A save over a file that another program holds open for reading replaces it by rename:
// the reader keeps the old bytes to the end, the new file is complete.
TEST(FailurePaths, SaveOverAFileOpenForReading)
{
    TempDir dir;
    const fs::path file = dir / "open.SDW";
    fs::copy_file(test::testDataDir() / "sdw" / "version2000.SDW", file);
    const std::string old = test::readBytes(file);
    std::ifstream reader(file, std::ios::binary);
    SlopeModel m;
    ASSERT_EQ(readDataFile(m, file).status, 0);
    ASSERT_TRUE(writeDataFile(m, file).ok);
    const std::string seen((std::istreambuf_iterator<char>(reader)), {});
    EXPECT_EQ(seen, old);
    EXPECT_EQ(test::readBytes(file), formatDataFile(m, "open"));
}

// A full file system: a 16 kB tmpfs in a private mount namespace, filled up. The save
// keeps the old file and leaves no temporary file; calc reports its dumps and gives its
// verdict (exit 1, OUT); report and plot report their files and exit 2.
TEST(FailurePaths, FullFileSystem)
{
    TempDir dir;
    fs::create_directory(dir / "mnt");
    fs::copy_file(test::testDataDir() / "sdw" / "version2000.SDW", dir / "old.SDW");
    const std::string k = quote(test::cliPath());
    const std::string quay = quote(test::testDataDir() / "calc" / "quay_coarse.SDW");
    const std::string script =
        "cd " + quote(dir.path()) +
        " || exit 90\n"
        "mount -t tmpfs -o size=16k none mnt 2>/dev/null || exit 77\n"
        "cp old.SDW mnt/old.SDW && (head -c 1000000 /dev/zero > mnt/fill) 2>/dev/null\n" +
        k + " save mnt/old.SDW; echo \"save=$?\"\n" +
        "cmp -s old.SDW mnt/old.SDW && echo intact\n"
        "ls -A mnt | tr '\\n' ' '; echo\n"
        "rm mnt/fill; head -c 6000 /dev/zero > mnt/fill\n" +
        k + " calc " + quay + " --workdir mnt --quiet; echo \"calc=$?\"\n" +
        "KELTORA_REPORT_VIEWER=true " + k + " report " + quay +
        " --workdir mnt -o r.pdf; echo \"report=$?\"\n" + "KELTORA_PLOTTER=true " + k + " plot " +
        quay + " --workdir mnt; echo \"plot=$?\"\n";
    test::writeBytes(dir / "full.sh", script);
    std::string out;
    const int rc = test::runCommand("unshare -m sh " + quote(dir / "full.sh"), &out);
    if (rc != 0) GTEST_SKIP() << "no private mount namespace with tmpfs here: " << out;
    EXPECT_NE(out.find("save=2"), std::string::npos) << out;
    EXPECT_NE(out.find("を保存できませんでした"), std::string::npos) << out;
    EXPECT_NE(out.find("intact"), std::string::npos) << out;
    EXPECT_NE(out.find("fill old.SDW \n"), std::string::npos) << "no temporary file left\n" << out;
    EXPECT_NE(out.find("ダンプファイル answer2.dmp を書き込めませんでした。"), std::string::npos)
        << out;
    // The verdict is printed, but a run whose dumps are missing exits 2.
    EXPECT_NE(out.find("判定(0.092 < 1.000) OUT"), std::string::npos) << out;
    EXPECT_NE(out.find("calc=2"), std::string::npos) << out;
    EXPECT_NE(out.find("SB_ANS10.PDT を作成できませんでした。"), std::string::npos) << out;
    EXPECT_NE(out.find("DirPath.inf を作成できませんでした。"), std::string::npos) << out;
    EXPECT_NE(out.find("report=2"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir / "r.pdf")) << "no report from incomplete data";
    EXPECT_NE(out.find("SBPLOT01.VOV を作成できません。"), std::string::npos) << out;
    EXPECT_NE(out.find("plot=2"), std::string::npos) << out;
}

} // namespace
} // namespace keltora
