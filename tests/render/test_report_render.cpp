// Report pages on paper: a PDF of a small report whose text carries the values, and the
// viewer program exporting the report named by a hand-off file without a window.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "output/report_files.h"
#include "output/report_handoff.h"
#include "output/report_layout.h"
#include "render/report_painter.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

void ensureApplication()
{
    static QGuiApplication* app = [] {
        // Another suite of this binary may have created one already.
        if (auto* existing = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return existing;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "keltora_gui_tests";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// A Fellenius report of two centres with the source tree's forms.
ReportLayout sampleLayout(const fs::path& dir, SlopeModel& m)
{
    resetModel(m);
    m.title = "試験断面";
    m.calcDate = {26, 12, 8};
    m.calcTime = {10, 0, 0};
    ReportInput in;
    in.model = &m;
    in.resultsValid = true;
    in.dataPathWithoutExtension = "/data/sample";
    for (int i = 0; i < 40; ++i) {
        SlipResult r;
        r.cx = 1.0 + (i / 10);
        r.cy = 5.0;
        r.rr = 6.0 + i % 10;
        r.mrf = 1234.5 + i;
        r.mrc = 10.0;
        r.mr = r.mrf + r.mrc;
        r.md = 1000.0;
        r.f = 1.111 + 0.01 * i;
        in.levels[0].push_back(r);
    }
    EXPECT_EQ(writeReportData(in, dir).status, 0);
    FormLibrary forms(reportFormFolders(dir, test::sourceDir() / "forms", {}));
    ReportLayout layout = layoutReport(dir, reportFilesInFolder(dir), forms);
    EXPECT_TRUE(layout.warnings.empty()) << layout.warnings.front();
    return layout;
}

TEST(ReportRender, PdfCarriesTheValues)
{
    ensureApplication();
    test::TempDir dir;
    SlopeModel m;
    const ReportLayout layout = sampleLayout(dir.path(), m);
    ASSERT_EQ(layout.pages.size(), 3u); // result list, table, minimum
    const fs::path pdf = dir / "report.pdf";
    QString error;
    ASSERT_TRUE(exportReportPdf(layout, QString::fromStdString(pdf.string()), &error))
        << error.toStdString();
    std::string text;
    ASSERT_EQ(test::runCommand("pdftotext -layout '" + pdf.string() + "' -", &text), 0);
    for (const char* expected : {"試験断面", "1234.500", "1.500", "1 / 3", "計算結果一覧表",
                                 "2026/12/08 10:00:00", "最小安全率", "1.111"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    // The table's top border (body line 4) is one continuous rule across its columns.
    const double s = 8.0; // pixels per mm
    QImage image(static_cast<int>(210 * s), static_cast<int>(297 * s), QImage::Format_RGB32);
    QPainter p(&image);
    paintReportPage(p, layout.pages[0], s);
    p.end();
    int longest = 0;
    for (int y = static_cast<int>((20 + 4 * 4.2) * s); y < static_cast<int>((20 + 5 * 4.2) * s);
         ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = qGray(image.pixel(x, y)) < 160 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, static_cast<int>(100 * s)); // the table is wider than 100 mm
    EXPECT_FALSE(exportReportPdf(layout, "/nonexistent/dir/x.pdf", &error));
}

TEST(ReportRender, ViewerExportsTheHandedOffReport)
{
    test::TempDir dir;
    SlopeModel m;
    {
        ensureApplication();
        sampleLayout(dir.path(), m);
    }
    ReportFileLog log;
    ASSERT_TRUE(writeHandOffFile(dir.path(), false, log));
    const fs::path viewer = test::cliPath().parent_path() / "keltora-report-viewer";
    std::string out;
    ASSERT_EQ(test::runCommand("cd '" + dir.path().string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                   viewer.string() + "' /PDTOPEN --pdf out.pdf",
                               &out),
              0)
        << out;
    std::string text;
    ASSERT_EQ(test::runCommand("pdftotext '" + (dir / "out.pdf").string() + "' -", &text), 0);
    EXPECT_NE(text.find("1234.500"), std::string::npos);

    // The window shows the first page.
    ASSERT_EQ(test::runCommand("cd '" + dir.path().string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                   viewer.string() + "' /PDTOPEN --screenshot shot.png",
                               &out),
              0)
        << out;
    QImage shot(QString::fromStdString((dir / "shot.png").string()));
    EXPECT_GT(shot.width(), 400);

    // A malformed data file is shown as far as it goes, never a crash.
    test::writeBytes(dir / "SB_ANS10.PDT", "title\r\nstamp\r\n$0\r\n99\r\n$Q\r\n$0  SB_CD01.PFM\r\n"
                                           "0\r\n01  \xff\xfe\r\n$1\r\n");
    ASSERT_EQ(test::runCommand("cd '" + dir.path().string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                   viewer.string() + "' --pdf bad.pdf SB_ANS10.PDT",
                               &out),
              0)
        << out;
}

} // namespace
} // namespace keltora
