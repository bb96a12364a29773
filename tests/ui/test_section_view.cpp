// The main view: all-show numbers, zoom, the area commands driven by the mouse, the
// coordinate readout, and pixel colours of a rendered example before and after a
// calculation (with the automatic display presets).
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QTest>

#include "analysis/calculation.h"
#include "ui/screen_renderer.h"
#include "ui_test_support.h"

namespace keltora {
namespace {

using test::WindowFixture;
namespace fs = std::filesystem;
namespace col = ui::screen_colour;

QString qs(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

// True when a pixel within `radius` of (x, y) has the colour.
bool colourNear(const QImage& img, int x, int y, const QColor& c, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) continue;
            if (img.pixelColor(px, py) == c) return true;
        }
    return false;
}

int countColour(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

TEST(SectionView, AllShowOfTheEmptyDocument)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    w.action("AllShow")->trigger();
    const ViewTransform& v = w.view().transform();
    EXPECT_EQ(v.imageWidth(), w.view().width());
    EXPECT_EQ(v.imageHeight(), w.view().height());
    EXPECT_NEAR(v.scale(), 0.8333333333333334 * std::min(v.imageWidth(), v.imageHeight()) / 210.0,
                1e-9);
    EXPECT_EQ(v.centreX(), 0.0);
    EXPECT_EQ(v.centreY(), 0.0);
    EXPECT_EQ(w.view().image().size(), w.view().size());
}

TEST(SectionView, AllShowOfAnExampleAndZoomInThenOut)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    ASSERT_TRUE(w.openFile(qs(test::examplesDir() / "quay_backfill.SDW")));
    const ViewTransform& v = w.view().transform();
    const ViewExtent e = fitExtent(w.sectionDocument().model());
    EXPECT_EQ(v.centreX(), std::trunc((e.xmin + e.xmax) * 0.5));
    EXPECT_EQ(v.centreY(), std::trunc((e.ymin + e.ymax) * 0.5));
    EXPECT_NEAR(v.scale(),
                0.8333333333333334 * std::min(v.imageWidth() / (e.xmax - e.xmin + 10.0),
                                              v.imageHeight() / (e.ymax - e.ymin + 10.0)),
                1e-9);
    const double fitted = v.scale();
    w.action("ZoomIn")->trigger();
    EXPECT_NEAR(v.scale(), fitted * 1.5, 1e-9);
    w.action("ZoomOut")->trigger();
    EXPECT_NEAR(v.scale(), fitted, 1e-9);
}

TEST(SectionView, AreaCommandsByMouse)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    ui::SectionView& view = w.view();
    ViewTransform& v = view.transform();
    int started = 0, ended = 0;
    QObject::connect(&w, &ui::MainWindow::areaCommandStarted, [&] { ++started; });
    QObject::connect(&w, &ui::MainWindow::areaCommandEnded, [&] { ++ended; });
    int modeClicks = 0;
    QObject::connect(&view, &ui::SectionView::leftClicked, [&] { ++modeClicks; });

    // Enlarge: two corners 100 x 50 px apart.
    const double before = v.scale();
    w.action("AreaEnlarge")->trigger();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(w.areaZoom().mode(), 101);
    EXPECT_EQ(w.guideText(),
              "拡大する矩形領域の１点目をマウス(左)で指定してください。マウス(右)：取り消し");
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(w.areaZoom().mode(), 102);
    QTest::mouseMove(&view, QPoint(150, 130));
    // Right click on the second corner: back to the first.
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(150, 130));
    EXPECT_EQ(w.areaZoom().mode(), 101);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 100));
    const Point2 a = v.screenToWorld(100, 100), b = v.screenToWorld(200, 150);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_EQ(w.areaZoom().mode(), 0);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(modeClicks, 0); // the clicks belonged to the area command
    EXPECT_NEAR(v.centreX(), (a.x + b.x) / 2, 1e-9);
    EXPECT_NEAR(v.scale(),
                std::min(v.imageWidth() / (1.2 * std::fabs(a.x - b.x)),
                         v.imageHeight() / (1.2 * std::fabs(a.y - b.y))),
                1e-9);
    EXPECT_GT(v.scale(), before);
    EXPECT_EQ(w.guideText(), "メニュー・ボタンで処理したい機能を選択してください。");

    // Shrink with a degenerate rectangle: the scale stays.
    const double kept = v.scale();
    w.action("AreaShrink")->trigger();
    EXPECT_EQ(w.areaZoom().mode(), 111);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(300, 100));
    EXPECT_EQ(w.areaZoom().mode(), 112);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_EQ(w.areaZoom().mode(), 0);
    EXPECT_EQ(v.scale(), kept);

    // Shrink and give up with right clicks.
    w.action("AreaShrink")->trigger();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.areaZoom().mode(), 0);
    EXPECT_EQ(v.scale(), kept);
    EXPECT_EQ(started, 3);
    EXPECT_EQ(ended, 3);
    // Now the clicks go to the edit modes again.
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(modeClicks, 1);
}

TEST(SectionView, CoordinateReadout)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    const ViewTransform& v = w.view().transform();
    QTest::mouseMove(&w.view(), QPoint(v.halfWidth() + 10, v.halfHeight()));
    const Point2 p = v.screenToWorld(v.halfWidth() + 10, v.halfHeight());
    EXPECT_EQ(w.coordinateText(), QString::asprintf("X=%4.3f Y=%4.3f", p.x, p.y));
}

TEST(SectionView, PixelColoursOfAnExampleBeforeAndAfterACalculation)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    ASSERT_TRUE(w.openFile(qs(f.copyExample("embankment.SDW", "emb.SDW"))));
    const SlopeModel& m = w.sectionDocument().model();
    // Input display set (automatic switching).
    ASSERT_EQ(m.display.autoSwitch, 1);
    EXPECT_EQ(m.display.showGrid, 1);
    EXPECT_EQ(m.display.showPointNames, 1);
    EXPECT_EQ(m.display.showFrame, 0);
    const ViewTransform& v = w.view().transform();
    QImage img = w.view().image();

    // A boundary line drawn on the plot: white at its middle.
    int boundary = -1;
    for (int i = 0; i < m.lineCount; ++i)
        if (m.lines[static_cast<size_t>(i)].kind == kBoundaryLine &&
            m.lines[static_cast<size_t>(i)].drawFlag != -1 &&
            m.lines[static_cast<size_t>(i)].startPoint !=
                m.lines[static_cast<size_t>(i)].endPoint) {
            boundary = i;
            break;
        }
    ASSERT_GE(boundary, 0);
    const TerrainLine& l = m.lines[static_cast<size_t>(boundary)];
    const TerrainPoint& p1 = m.points[static_cast<size_t>(l.startPoint)];
    const TerrainPoint& p2 = m.points[static_cast<size_t>(l.endPoint)];
    const PixelPoint mid = v.worldToScreen((p1.x + p2.x) / 2, (p1.y + p2.y) / 2);
    EXPECT_TRUE(colourNear(img, mid.x, mid.y, col::white));

    // Terrain points: fuchsia.
    const PixelPoint pt = v.worldToScreen(p1.x, p1.y);
    EXPECT_TRUE(colourNear(img, pt.x, pt.y, col::fuchsia));

    // The grid: grey on a vertical major line near the top edge.
    const double spacing = m.display.gridMajor;
    const double x0 = std::ceil(v.screenToWorld(40, 0).x / spacing) * spacing;
    const int gx = v.worldToScreen(x0, 0).x;
    EXPECT_EQ(img.pixelColor(gx, 25), col::grey);
    // Before a calculation the only green is the dotted plot window.
    const int greenBefore = countColour(img, col::green);

    // A boundary line excluded from the plot shows in blue.
    w.sectionDocument().edit("flag", ui::ChangeKind::Figure, [boundary](SlopeModel& mm) {
        mm.lines[static_cast<size_t>(boundary)].drawFlag = -1;
        return true;
    });
    img = w.view().image();
    EXPECT_TRUE(colourNear(img, mid.x, mid.y, col::blue));
    EXPECT_FALSE(colourNear(img, mid.x, mid.y, col::white, 0));

    // A calculation (the core's run on the document) switches to the result display set
    // and the figure appears in green.
    CalcOptions options;
    options.workDir = f.start.path();
    options.threads = 1;
    runCalculation(w.sectionDocument().document(), options);
    ASSERT_EQ(m.calcState, 1);
    w.sectionDocument().notifyReplaced();
    EXPECT_EQ(m.display.showGrid, 0);
    EXPECT_EQ(m.display.showPointNames, 0);
    EXPECT_EQ(m.display.showFrame, 1);
    EXPECT_EQ(m.display.showSlipSurfaces, 1);
    EXPECT_TRUE(w.menu("Sakuzu")->menuAction()->isVisible());
    img = w.view().image();
    EXPECT_GT(countColour(img, col::green), greenBefore + 500);
    EXPECT_EQ(img.pixelColor(gx, 25) == col::grey, false);

    // Any edit that drops the results returns to the input set.
    w.sectionDocument().edit("kh", ui::ChangeKind::Results, [](SlopeModel& mm) {
        mm.conditions.seismicCoefficient += 0.05;
        return true;
    });
    EXPECT_EQ(m.calcState, 0);
    EXPECT_EQ(m.display.showGrid, 1);
    EXPECT_EQ(m.display.showFrame, 0);
    EXPECT_FALSE(w.menu("Sakuzu")->menuAction()->isVisible());
}

TEST(SectionView, NoDocumentIsABlackImage)
{
    test::guiApp();
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::red);
    ViewTransform v;
    v.setImageSize(200, 100);
    ui::renderScene(img, ui::ScreenScene{}, v);
    EXPECT_EQ(countColour(img, col::black), 200 * 100);
}

TEST(SectionView, LinesWithEqualEndsAndTheCohesionLineCrossTheImage)
{
    test::guiApp();
    SlopeModel m;
    resetModel(m);
    addPoint(m, 0.0, 5.0);
    addLine(m, kArcLimitLineLarge, 0, 0); // horizontal limit line at y = 5
    m.display.showCohesionLine = 1;
    m.display.showGrid = 0;
    m.conditions.referenceHeight = -5.0;
    QImage img(300, 200, QImage::Format_RGB32);
    ViewTransform v;
    v.setImageSize(300, 200);
    v.setScale(10.0);
    ui::ScreenScene scene;
    scene.model = &m;
    ui::renderScene(img, scene, v);
    const int y5 = v.worldToScreen(0, 5).y, ym5 = v.worldToScreen(0, -5).y;
    // Dotted aqua across the image at y = 5: near both ends.
    EXPECT_TRUE(colourNear(img, 3, y5, col::aqua, 2));
    EXPECT_TRUE(colourNear(img, 296, y5, col::aqua, 2));
    // Dash-dot-dot yellow at the reference height.
    EXPECT_TRUE(colourNear(img, 5, ym5, col::yellow, 3));
    EXPECT_TRUE(colourNear(img, 290, ym5, col::yellow, 3));
    // A line whose point slot is empty is skipped (no crash, nothing drawn).
    m.lines[0].endPoint = 7;
    m.lines[0].startPoint = 7;
    ui::renderScene(img, scene, v);
    EXPECT_FALSE(colourNear(img, 150, y5, col::aqua, 0));
}

} // namespace
} // namespace keltora
