// `keltora report` on the bundled example: the data files of every level, the check list,
// the hand-off file and (with Qt) a PDF whose text carries the critical result.
#include <gtest/gtest.h>

#include "model/text_encoding.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

TEST(ReportCommand, WritesDataFilesAndPdf)
{
    test::TempDir dir;
    const fs::path pdf = dir / "quay.pdf";
    std::string out;
    const int rc = test::runCommand("'" + test::cliPath().string() + "' report '" +
                                        (test::examplesDir() / "quay_backfill.SDW").string() +
                                        "' --workdir '" + dir.path().string() + "' -o '" +
                                        pdf.string() + "' 2>&1",
                                    &out);
    for (const char* name : {"SB_CHECK.PDT", "SB_ANS10.PDT", "SB_ANS11.PDT", "SB_ANS12.PDT",
                             "SB_CA10.PFM", "DirPath.inf"})
        EXPECT_TRUE(fs::exists(dir / name)) << name << "\n" << out;
    const std::string handOff = test::readBytes(dir / "DirPath.inf");
    EXPECT_EQ(handOff, dir.path().string() + "/\r\n"); // results: the folder only
    const std::string list = cp932ToUtf8(test::readBytes(dir / "SB_ANS10.PDT"));
    EXPECT_TRUE(list.starts_with("修正フェレニウス(1次) 計算結果一覧表\r\n")) << list.substr(0, 80);
    EXPECT_NE(list.find("/examples/quay_backfill"), std::string::npos);
    if (!fs::exists(test::cliPath().parent_path() / "keltora-report-viewer")) {
        EXPECT_NE(rc, 0); // a build without Qt cannot render
        return;
    }
    ASSERT_EQ(rc, 0) << out;
    std::string text;
    ASSERT_EQ(test::runCommand("pdftotext '" + pdf.string() + "' -", &text), 0);
    EXPECT_NE(text.find("チェックリスト"), std::string::npos);
    EXPECT_NE(text.find("最小安全率"), std::string::npos);

    // Usage errors and unreadable sections fail without writing anything.
    EXPECT_EQ(test::runCommand("'" + test::cliPath().string() + "' report 2>&1", &out), 2);
    EXPECT_NE(test::runCommand("'" + test::cliPath().string() + "' report '" +
                                   (dir / "missing.SDW").string() + "' --workdir '" +
                                   (dir / "w2").string() + "' 2>&1",
                               &out),
              0);
    EXPECT_FALSE(fs::exists(dir / "w2" / "SB_CHECK.PDT"));
}

} // namespace
} // namespace keltora
