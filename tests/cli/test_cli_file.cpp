// The command line on section files: info and save on the examples and an old file,
// and the exit codes and messages of failures.
#include <gtest/gtest.h>

#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;

namespace {

int runCli(const std::string& args, std::string* out)
{
    return test::runCommand(test::cliPath().string() + " " + args, out);
}

} // namespace

TEST(CliFile, InfoAndSaveOnExamplesAndAnOldFile)
{
    test::TempDir dir;
    std::string out;
    for (const char* name : {"embankment.SDW", "quay_backfill.SDW"}) {
        const auto path = test::examplesDir() / name;
        ASSERT_EQ(runCli("info " + path.string(), &out), 0) << out;
        EXPECT_NE(out.find("blocks:"), std::string::npos);
        ASSERT_EQ(runCli("save " + path.string() + " -o " + (dir / name).string(), &out), 0) << out;
        EXPECT_EQ(test::readBytes(dir / name), test::readBytes(path)); // canonical already
    }

    const auto old = test::testDataDir() / "sdw" / "version2000.SDW";
    ASSERT_EQ(runCli("info " + old.string(), &out), 0) << out;
    EXPECT_NE(out.find("旧データ"), std::string::npos);
    ASSERT_EQ(runCli("save " + old.string() + " -o " + (dir / "up.SDW").string(), &out), 0);
    SlopeModel m;
    resetModel(m);
    ReadResult r = readDataFile(m, dir / "up.SDW");
    EXPECT_EQ(r.version, kSdwVersion);
    EXPECT_EQ(m.lineSlip.angleRefinement, 2);
}

TEST(CliFile, FailuresPrintTheMessageAndExitNonZero)
{
    test::TempDir dir;
    std::string out;
    EXPECT_EQ(runCli("info " + (dir / "none.SDW").string(), &out), 2);
    EXPECT_NE(out.find("[error] KELTORAデータファイル(" + (dir / "none.SDW").string() +
                       ") が見つかりません。"),
              std::string::npos);
    test::writeBytes(dir / "old.SDW", "1999   $\r\n");
    EXPECT_EQ(runCli("info " + (dir / "old.SDW").string(), &out), 2);
    EXPECT_NE(out.find("(Error)データのバージョンが正しくありません"), std::string::npos);
    EXPECT_EQ(runCli("nosuchcommand", &out), 2);
    EXPECT_EQ(runCli("info", &out), 2);

    // Saving onto a write-protected file fails and keeps it.
    test::writeBytes(dir / "ro.SDW", "keep");
    std::filesystem::permissions(dir / "ro.SDW", std::filesystem::perms::owner_read);
    const auto src = test::examplesDir() / "embankment.SDW";
    EXPECT_EQ(runCli("save " + src.string() + " -o " + (dir / "ro.SDW").string(), &out), 2);
    EXPECT_EQ(test::readBytes(dir / "ro.SDW"), "keep");
}
