// The command line renders in a program of its own: keltora itself loads no Qt, and a
// missing renderer is an error that names it, after the plot file has been written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

} // namespace
} // namespace keltora
