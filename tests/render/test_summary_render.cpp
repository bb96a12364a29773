// The summary pages on paper: the figure and the factor-of-safety map painted into the lines
// kept for them (the critical surface bold in red, the map's bands in colour), the map's
// filled areas read back from their file, and a missing figure file shown as such.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>

#include "analysis/calculation.h"
#include "model/sdw_file.h"
#include "output/report_layout.h"
#include "output/report_summary.h"
#include "render/plot_reader.h"
#include "render/report_painter.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

void ensureGuiApplication()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "keltora_gui_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

struct Calculated {
    std::unique_ptr<SlopeModel> model = std::make_unique<SlopeModel>();
    std::unique_ptr<CalculationResults> results = std::make_unique<CalculationResults>();
};

std::unique_ptr<Calculated> calculateExample(const std::string& name, const fs::path& dir)
{
    auto c = std::make_unique<Calculated>();
    resetModel(*c->model);
    EXPECT_EQ(readDataFile(*c->model, test::examplesDir() / name).status, 0);
    CalcOptions o;
    o.workDir = dir;
    o.now = std::tm{};
    runCalculation(*c->model, *c->results, o);
    return c;
}

// Pixels in the rectangle (mm) of an image painted at `s` pixels per mm that satisfy `test`.
template <typename Test> int countPixels(const QImage& img, double s, QRectF mm, Test test)
{
    int n = 0;
    const QRect r(static_cast<int>(mm.left() * s), static_cast<int>(mm.top() * s),
                  static_cast<int>(mm.width() * s), static_cast<int>(mm.height() * s));
    for (int y = r.top(); y <= r.bottom() && y < img.height(); ++y)
        for (int x = r.left(); x <= r.right() && x < img.width(); ++x)
            if (test(QColor(img.pixel(x, y)))) ++n;
    return n;
}

QImage paintPage(const ReportPage& page, double s)
{
    QImage img(static_cast<int>(kReportPageWidthMm * s), static_cast<int>(kReportPageHeightMm * s),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintReportPage(p, page, s);
    p.end();
    return img;
}

TEST(SummaryRender, MapAreasReadBackFromTheirFile)
{
    test::TempDir dir;
    auto c = calculateExample("quay_backfill.SDW", dir.path());
    const Figure map = summaryMap(*c->model, *c->results);
    int areas = 0;
    for (const FigureItem& it : map.items)
        areas += it.kind == FigureItemKind::Polygon;
    ASSERT_GT(areas, 10);
    const PlotDocument doc = parsePlotFile(plotBytesWithAreas(map));
    EXPECT_EQ(doc.malformed, 0) << (doc.problems.empty() ? "" : doc.problems.front());
    std::vector<const FigureItem*> read;
    for (const FigureItem& it : doc.items)
        if (it.kind == FigureItemKind::Polygon) read.push_back(&it);
    ASSERT_EQ(static_cast<int>(read.size()), areas);
    std::size_t k = 0;
    for (const FigureItem& it : map.items) {
        if (it.kind != FigureItemKind::Polygon) continue;
        const FigureItem& r = *read[k++];
        EXPECT_EQ(r.fill, it.fill);
        EXPECT_EQ(r.layer, it.layer);
        ASSERT_EQ(r.points.size(), it.points.size());
        for (std::size_t i = 0; i < it.points.size(); ++i) {
            // Sheet position: the drawing window lies 10 mm inside the sheet.
            EXPECT_NEAR(r.points[i].x, it.points[i].x + 10.0, 1e-5);
            EXPECT_NEAR(r.points[i].y, it.points[i].y + 10.0, 1e-5);
        }
    }
    EXPECT_DOUBLE_EQ(doc.penWidth[kLayerMapAllowable], 0.40);
    // Broken area records are skipped, never read as something else.
    const PlotDocument bad = parsePlotFile("x\r\nFP17,255,3,0,0,100\r\nFP17,-1,3,0,0,1,1,2,2\r\n"
                                           "FP99,0,3,0,0,1,1,2,2\r\nFP17,0,2,0,0,1,1\r\n");
    EXPECT_EQ(bad.malformed, 4);
    EXPECT_TRUE(bad.items.empty());
    // Straight slips have no map.
    auto line = calculateExample("wedge_line.SDW", dir.path());
    EXPECT_TRUE(summaryMap(*line->model, *line->results).items.empty());
}

TEST(SummaryRender, FigureAndMapArePaintedIntoTheirLines)
{
    ensureGuiApplication();
    test::TempDir dir;
    auto c = calculateExample("quay_backfill.SDW", dir / "calc");
    ReportFileLog log;
    writeReportSummary(*c->model, *c->results, "/data/quay", dir.path(), log);
    ASSERT_TRUE(log.failed.empty());
    ASSERT_TRUE(fs::exists(dir / kSummaryMapName));
    FormLibrary forms({test::sourceDir() / "forms"});
    const ReportLayout layout = layoutReport(dir.path(), {kSummaryFileName}, forms);
    ASSERT_TRUE(layout.warnings.empty()) << layout.warnings.front();
    ASSERT_GE(layout.pages.size(), 2u);
    ASSERT_EQ(layout.pages[0].figures.size(), 1u);
    ASSERT_EQ(layout.pages[1].figures.size(), 1u);
    EXPECT_EQ(layout.pages[1].figures[0].file, dir / kSummaryMapName);

    const double s = 3.0; // pixels per mm
    // The body's lines start 20 mm from the top, 4.2 mm apart, 18 mm from the left.
    auto boxOf = [](const ReportFigure& f) {
        return QRectF(18.0, 20.0 + 4.2 * f.firstLine, 178.0, 4.2 * f.lines);
    };
    const QImage first = paintPage(layout.pages[0], s);
    const QRectF figureBox = boxOf(layout.pages[0].figures[0]);
    auto dark = [](const QColor& q) { return q.lightness() < 160; };
    auto red = [](const QColor& q) { return q.red() > 150 && q.green() < 90 && q.blue() < 90; };
    EXPECT_GT(countPixels(first, s, figureBox, dark), 300);
    EXPECT_GT(countPixels(first, s, figureBox, red), 500); // the critical circle, bold
    const QImage second = paintPage(layout.pages[1], s);
    auto coloured = [](const QColor& q) { return q.saturation() > 60 && q.value() > 80; };
    EXPECT_GT(countPixels(second, s, boxOf(layout.pages[1].figures[0]), coloured), 5000);

    // A page whose figure file is gone still paints: the frame and a note instead.
    fs::remove(dir / kSummaryFigureName);
    const QImage missing = paintPage(layout.pages[0], s);
    EXPECT_EQ(countPixels(missing, s, figureBox, red), 0);
    auto inked = [](const QColor& q) { return q.lightness() < 230; };
    EXPECT_GT(countPixels(missing, s, figureBox, inked), 50);
}

} // namespace
} // namespace keltora
