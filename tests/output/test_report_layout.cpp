// Report pages: fields put into their placeholders, page breaks with the header on every
// page and the footer below every page's body, hand-off file and file order.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/text_encoding.h"
#include "output/report_layout.h"
#include "output/report_pdt.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

void writeForm(const fs::path& dir, const std::string& name, const std::string& utf8)
{
    ReportText t;
    t.line("test form");
    t.line("1");
    std::size_t b = 0;
    for (std::size_t e; (e = utf8.find('\n', b)) != std::string::npos; b = e + 1)
        t.line(utf8.substr(b, e - b));
    test::writeBytes(dir / name, t.bytes());
}

TEST(ReportLayout, FieldsAlignIntoTheirPlaceholders)
{
    ReportForm f;
    f.lines = {"X=$01^^^ name:$02^^^^^^|", "$03^^^|全角$04^|", "  $05^^|$06^^^^^^^^^^"};
    const auto out = fillForm(f, {{1, "  1.50"},
                                  {2, "岸壁"},
                                  {3, "12345.678"}, // wider: uses the blanks on its left
                                  {4, "長すぎる名前"},
                                  {5, "123456"},
                                  {6, "  3.25"}});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "X=  1.50 name:岸壁     |");
    EXPECT_EQ(out[1], "******|全角長す|");      // no blank on the left of field 3: stars
    EXPECT_EQ(out[2], " 123456|         3.25"); // borrows one blank
    EXPECT_EQ(reportTextWidth(out[1]), reportTextWidth(f.lines[1]));
    EXPECT_EQ(reportTextWidth("ｽﾍﾞﾘ┃"), 6);

    ReportForm g;
    g.lines = {"[$01^^^]"};
    EXPECT_EQ(fillForm(g, {})[0], "[      ]");
}

TEST(ReportLayout, PagesCarryHeaderAndFooter)
{
    test::TempDir dir;
    writeForm(dir.path(), "HEAD1.PFM", "First $00^^^^^^^^^^^^\n");
    writeForm(dir.path(), "HEAD2.PFM", "Next  $00^^^^^^^^^^^^\n---\n");
    writeForm(dir.path(), "FOOT.PFM", "=== end of page\n");
    writeForm(dir.path(), "ROW.PFM", "row $01^^^\nsecond line\n");
    writeForm(dir.path(), "CLOSE.PFM", "closing\n");

    ReportText t;
    t.line("試験の表");
    t.line("26  12  8   9   5   30          /data/test");
    t.line("$H  HEAD1.PFM");
    t.field(0, "Project");
    t.line("$F  FOOT.PFM");
    const int rows = 40; // 2 lines each: more than one page
    for (int i = 0; i < rows; ++i) {
        t.line("$0  ROW.PFM");
        t.field(1, std::to_string(i));
        if (i == 0) t.line("$H  HEAD2.PFM     HEAD2.PZK");
    }
    t.line("garbage line");
    t.line("$0  MISSING.PFM");
    t.line("$1  CLOSE.PFM");
    t.line("$H");
    t.line("$F");
    t.line("$L");
    t.line("$0  ROW.PFM"); // after the end: ignored
    FormLibrary forms({dir.path()});
    ReportLayout layout;
    layoutReportFile(t.bytes(), "TEST.PDT", forms, layout);
    numberPages(layout);

    ASSERT_EQ(layout.pages.size(), 3u);
    const auto& p1 = layout.pages[0];
    const auto& p2 = layout.pages[1];
    EXPECT_EQ(p1.documentTitle, "試験の表");
    EXPECT_EQ(p1.calculated, "2026/12/08 09:05:30");
    EXPECT_EQ(p1.dataPath, "/data/test");
    EXPECT_EQ(p1.lines.front(), "First Project");
    EXPECT_EQ(p1.lines[1], "row      0");
    // Page 1: header, 30 rows of 2 lines, footer = 62 lines at most.
    EXPECT_LE(p1.lines.size(), static_cast<std::size_t>(kReportPageLines));
    EXPECT_EQ(p1.lines.back(), "=== end of page");
    EXPECT_EQ(p1.lines.size(), 1u + 2u * 30u + 1u);
    // Page 2: the following-page header keeps the project title.
    EXPECT_EQ(p2.lines[0], "Next  Project");
    EXPECT_EQ(p2.lines[1], "---");
    EXPECT_EQ(p2.lines[2], "row     30");
    EXPECT_EQ(p2.lines.back(), "=== end of page");
    // The missing form shows a note; "$1" starts page 3, without footer after "$F".
    EXPECT_NE(std::find(p2.lines.begin(), p2.lines.end(), "［様式 MISSING.PFM がありません］"),
              p2.lines.end());
    EXPECT_EQ(layout.pages[2].lines, (std::vector<std::string>{"Next  Project", "---", "closing"}));
    EXPECT_EQ(layout.pages[2].number, 3);
    EXPECT_EQ(layout.pages[2].count, 3);
    EXPECT_EQ(layout.warnings.size(), 2u); // the garbage line and the missing form

    // "$R" keeps a block list together; a page start by "$1" on an empty page adds none.
    ReportText r;
    r.line("t");
    r.line("");
    for (int i = 0; i < 25; ++i)
        r.line("$0  ROW.PFM");
    r.line("$R18");
    r.line("$1  CLOSE.PFM");
    ReportLayout l2;
    layoutReportFile(r.bytes(), "R.PDT", forms, l2);
    ASSERT_EQ(l2.pages.size(), 2u);
    EXPECT_EQ(l2.pages[1].lines, std::vector<std::string>{"closing"});
    EXPECT_TRUE(l2.pages[0].calculated.empty());
}

TEST(ReportLayout, HandOffAndFileOrder)
{
    test::TempDir dir;
    for (const char* n : {"SB_ANS22.PDT", "SB_ANS10.PDT", "SB_CHECK.PDT", "SB_ANS12.PDT",
                          "SB_ANS11.PDT", "SB_ANS20.PDT", "OTHER.PDT"})
        test::writeBytes(dir / n, "x\r\n");
    EXPECT_EQ(reportFilesInFolder(dir.path()),
              (std::vector<std::string>{"SB_CHECK.PDT", "SB_ANS10.PDT", "SB_ANS11.PDT",
                                        "SB_ANS12.PDT", "SB_ANS20.PDT", "SB_ANS22.PDT"}));
    test::writeBytes(dir / "DirPath.inf", "/data/run/\r\nSB_CHECK.PDT\r\n$$$$$$$$\r\nJUNK\r\n");
    auto h = readReportHandOff(dir / "DirPath.inf", nullptr);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->folder, fs::path("/data/run/"));
    EXPECT_EQ(h->files, std::vector<std::string>{"SB_CHECK.PDT"});
    test::writeBytes(dir / "DirPath.inf", "");
    std::string error;
    EXPECT_FALSE(readReportHandOff(dir / "DirPath.inf", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readReportHandOff(dir / "none.inf", nullptr));
}

} // namespace
} // namespace keltora

namespace keltora {
namespace {

// Every fixed form the writers name lies in forms/, fits the page, and the golden report
// files lay out with them without a missing form or a value too wide for its placeholder.
TEST(ReportLayout, FixedFormsCoverTheReports)
{
    const fs::path formsDir = test::sourceDir() / "forms";
    std::vector<std::string> names = {
        "SB_CHK00", "SB_CHK99", "SB_CHK01", "SB_CHK02", "SB_CHK04", "SB_CHK11", "SB_CHK12",
        "SB_CHK14", "SB_CHK21", "SB_CHK2A", "SB_CHK2B", "SB_CHK27", "SB_CHK26", "SB_CHK22",
        "SB_CHK23", "SB_CHK25", "SB_CHK24", "SB_CHK29", "SB_CHK41", "SB_CHK42", "SB_CHK43",
        "SB_CHK31", "SB_CHK32", "SB_CHK34", "SB_CHK35", "SB_CC61",  "SB_CC62",  "SB_CC63",
        "SB_CC64",  "SB_CN01",  "SB_BD51",  "SB_BE51",  "SB_BD52",  "SB_BE52"};
    for (const char* f : {"C", "B", "L"})
        for (const char* role : {"A01", "A02", "B01", "D01", "D02", "D03", "A51", "B51"})
            names.push_back(std::string("SB_") + f + role);
    for (const char* n :
         {"SB_CC51", "SB_CC52", "SB_CC53", "SB_CD51", "SB_CD52", "SB_CD53", "SB_CE51", "SB_CE52",
          "SB_CE53", "SB_BC51", "SB_LC51", "SB_LD51", "SB_LE51"})
        names.push_back(n);
    FormLibrary forms({formsDir});
    for (const auto& n : names) {
        const ReportForm* f = forms.find(n + ".PFM");
        ASSERT_NE(f, nullptr) << n;
        EXPECT_FALSE(f->comment.empty()) << n;
        for (const auto& l : f->lines)
            EXPECT_LE(reportTextWidth(l), kReportPageColumns) << n;
    }
    // The result rows: X, Y, R as "%6.2f", the sums "%10.3f" and F "%6.3f".
    const ReportForm* row = forms.find("SB_CD01.PFM");
    ASSERT_NE(row, nullptr);
    const auto filled =
        fillForm(*row, {{1, "999.99"}, {4, "123456.789"}, {8, "99.999"}, {7, "-12345.678"}});
    EXPECT_NE(filled[0].find("│999.99│"), std::string::npos) << filled[0];
    EXPECT_NE(filled[0].find("│123456.789│"), std::string::npos) << filled[0];
    EXPECT_NE(filled[0].find("│-12345.678│"), std::string::npos) << filled[0];

    for (const char* dir : {"fellenius", "bishop", "line", "check_list"}) {
        const fs::path d = test::testDataDir() / "report" / dir;
        FormLibrary lib({d, formsDir});
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(d))
            if (e.path().extension() == ".PDT") files.push_back(e.path().filename());
        std::sort(files.begin(), files.end());
        const ReportLayout layout = layoutReport(d, files, lib);
        EXPECT_TRUE(layout.warnings.empty()) << dir << ": " << layout.warnings.front();
        EXPECT_FALSE(layout.pages.empty());
        for (const auto& page : layout.pages)
            for (const auto& l : page.lines)
                EXPECT_EQ(l.find("**"), std::string::npos) << l;
    }
}

// Garbage never crashes the layout: random records and bytes, fixed seed.
TEST(ReportLayout, MalformedDataIsSkipped)
{
    test::TempDir dir;
    writeForm(dir.path(), "F.PFM", "$01^^^ $0\n$$99^^^^ $7^ $12\n");
    FormLibrary forms({dir.path()});
    const char* pieces[] = {"$H  F.PFM",
                            "$F  F.PFM",
                            "$0  F.PFM",
                            "$1  F.PFM",
                            "$R",
                            "$R-5",
                            "$R999",
                            "$L",
                            "01  1.5",
                            "12  long text value here",
                            "7",
                            "$",
                            "\x81",
                            "\xff\xfe",
                            "00",
                            "99  x",
                            "$H",
                            "$F",
                            "$0",
                            "$1",
                            "$G  F.VOV  12",
                            "$G  ../F.VOV  3",
                            "$G  F.VOV  999",
                            "$G  F.VOV",
                            "$G"};
    unsigned seed = 12345;
    for (int round = 0; round < 50; ++round) {
        std::string bytes = "t\r\ns\r\n";
        for (int i = 0; i < 200; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes += pieces[(seed >> 8) % (sizeof pieces / sizeof *pieces)];
            bytes += (seed & 1) ? "\r\n" : "\n";
        }
        ReportLayout layout;
        layoutReportFile(bytes, "X.PDT", forms, layout);
        for (const auto& p : layout.pages)
            EXPECT_LE(p.lines.size(), std::size_t(kReportPageLines));
    }
    ReportLayout empty;
    layoutReportFile("", "E.PDT", forms, empty);
    EXPECT_TRUE(empty.pages.empty());
    EXPECT_FALSE(parseForm("only one line"));
}

} // namespace
} // namespace keltora
