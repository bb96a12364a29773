// The viewers fail loudly and stay in their folders: no input, an empty or unreadable one,
// or one that yields no page is an error exit with a message; a form name with a path is
// refused like an unknown form; the modes without a window need no display; the forms are
// found relative to the program, also when it is installed elsewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "output/plot_file.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

std::string q(const fs::path& p)
{
    return "'" + p.string() + "'";
}

fs::path reportViewer()
{
    return test::cliPath().parent_path() / "keltora-report-viewer";
}

fs::path plotter()
{
    return test::cliPath().parent_path() / "keltora-plotter";
}

// Without a display and without a chosen platform, as on a server.
const char* const kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(ViewersFailLoudly, ReportViewerRefusesFormsOutsideItsFolders)
{
    test::TempDir dir;
    const std::string good =
        test::readBytes(test::testDataDir() / "report" / "bishop" / "SB_ANS10.PDT");
    for (const std::string form : {"../../../../../../etc/passwd", "/etc/passwd"}) {
        SCOPED_TRACE(form);
        std::string pdt = good;
        const std::string ref = "SB_BD01.PFM";
        for (std::size_t at = pdt.find(ref); at != std::string::npos; at = pdt.find(ref, at))
            pdt.replace(at, ref.size(), form);
        test::writeBytes(dir / "SB_ANS10.PDT", pdt);
        std::string out;
        test::runCommand(std::string(kNoDisplay) + q(reportViewer()) + " --text " +
                             q(dir / "SB_ANS10.PDT") + " 2>&1",
                         &out);
        EXPECT_TRUE(has(out, "様式 " + form + " が見つかりません")) << out;
        EXPECT_FALSE(has(out, "root:")) << "the file behind the path was read";
    }
}

TEST(ViewersFailLoudly, NoInputNoPageIsAnErrorExit)
{
    test::TempDir dir;
    std::string out;
    const std::string viewer = std::string(kNoDisplay) + q(reportViewer());
    // No hand-off file in the folder.
    EXPECT_EQ(test::runCommand(
                  "cd " + q(dir.path()) + " && " + viewer + " /PDTOPEN --pdf r.pdf 2>&1", &out),
              1);
    EXPECT_TRUE(has(out, (dir / "DirPath.inf").string())) << out;
    EXPECT_FALSE(fs::exists(dir / "r.pdf"));
    // A folder without report data, a missing file, an empty file.
    EXPECT_EQ(test::runCommand(viewer + " --text " + q(dir.path()) + " 2>&1", &out), 1);
    EXPECT_TRUE(has(out, "SB_*.PDT")) << out;
    EXPECT_EQ(test::runCommand(viewer + " --text " + q(dir / "SB_ANS10.PDT") + " 2>&1", &out), 1);
    EXPECT_TRUE(has(out, (dir / "SB_ANS10.PDT").string())) << out;
    test::writeBytes(dir / "SB_ANS10.PDT", "");
    EXPECT_EQ(test::runCommand(viewer + " --pdf " + q(dir / "e.pdf") + " " +
                                   q(dir / "SB_ANS10.PDT") + " 2>&1",
                               &out),
              1);
    EXPECT_TRUE(has(out, "空です")) << out;
    EXPECT_FALSE(fs::exists(dir / "e.pdf"));
    // A file that yields no page.
    test::writeBytes(dir / "SB_ANS10.PDT", "title only\r\n");
    EXPECT_EQ(test::runCommand(viewer + " --text " + q(dir / "SB_ANS10.PDT") + " 2>&1", &out), 1);
    EXPECT_TRUE(has(out, "ページがありません")) << out;

    // The plotter: an empty or foreign plot file draws nothing and says so.
    test::writeBytes(dir / "empty.VOV", "");
    test::writeBytes(dir / "foreign.VOV", "hello\r\nworld\r\n");
    for (const char* name : {"empty.VOV", "foreign.VOV", "missing.VOV"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::runCommand(std::string(kNoDisplay) + q(plotter()) + " " + q(dir / name) +
                                       " --png " + q(dir / "x.png") + " 2>&1",
                                   &out),
                  1);
        EXPECT_TRUE(has(out, (dir / name).string())) << out;
        EXPECT_FALSE(fs::exists(dir / "x.png"));
    }
}

TEST(ViewersFailLoudly, ModesWithoutAWindowNeedNoDisplayAndMakeNoNoise)
{
    test::TempDir dir;
    std::string out;
    for (const fs::path& program : {reportViewer(), plotter()}) {
        SCOPED_TRACE(program.filename().string());
        EXPECT_EQ(test::runCommand(std::string(kNoDisplay) + q(program) + " --help 2>&1", &out), 0);
        EXPECT_TRUE(has(out, "usage:")) << out;
    }
    // A display that does not answer does not stop an export either; Qt stays quiet.
    const std::string env = "env -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR DISPLAY=:97 ";
    EXPECT_EQ(test::runCommand(env + q(reportViewer()) + " --pdf " + q(dir / "r.pdf") + " " +
                                   q(test::testDataDir() / "report" / "bishop" / "SB_ANS10.PDT") +
                                   " 2>&1",
                               &out),
              0)
        << out;
    EXPECT_TRUE(fs::exists(dir / "r.pdf"));
    EXPECT_FALSE(has(out, "QStandardPaths")) << out;
    EXPECT_FALSE(has(out, "xcb")) << out;
    EXPECT_EQ(test::runCommand(env + q(plotter()) + " " +
                                   q(test::testDataDir() / "plot" / "bishop.VOV") + " --png " +
                                   q(dir / "p.png") + " 2>&1",
                               &out),
              0)
        << out;
    EXPECT_FALSE(has(out, "QStandardPaths")) << out;
}

// An installed viewer (bin/ beside share/keltora/forms, far from the build tree) finds
// its forms there; without them it reports the missing forms.
TEST(ViewersFailLoudly, FormsAreFoundRelativeToTheInstalledProgram)
{
    test::TempDir prefix;
    fs::create_directories(prefix / "bin");
    fs::copy_file(reportViewer(), prefix / "bin" / "keltora-report-viewer");
    const fs::path installed = prefix / "bin" / "keltora-report-viewer";
    const fs::path pdt = test::testDataDir() / "report" / "bishop" / "SB_ANS10.PDT";
    std::string out;
    test::runCommand(std::string(kNoDisplay) + q(installed) + " --text " + q(pdt) + " 2>&1", &out);
    EXPECT_TRUE(has(out, "が見つかりません")) << "no forms installed yet";

    fs::create_directories(prefix / "share" / "keltora");
    fs::copy(test::sourceDir() / "forms", prefix / "share" / "keltora" / "forms",
             fs::copy_options::recursive);
    EXPECT_EQ(test::runCommand(
                  std::string(kNoDisplay) + q(installed) + " --text " + q(pdt) + " 2>&1", &out),
              0);
    EXPECT_FALSE(has(out, "が見つかりません")) << out;
}

} // namespace
} // namespace keltora
