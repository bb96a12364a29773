// Rendering the factor-of-safety map: filled areas reach the page in their colours, the
// map document has the figure's sheet, and `keltora plot --map` writes PNG, PDF and SVG.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "output/plot_file.h"
#include "output/safety_map.h"
#include "render/plot_painter.h"
#include "render/plot_reader.h"
#include "test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

void app()
{
    static int argc = 1;
    static char name[] = "keltora_gui_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

TEST(SafetyMapRender, FilledAreasInTheirColourOnTheSheet)
{
    app();
    Figure f;
    f.halfWidth = 40.0;
    f.halfHeight = 30.0;
    FigureItem band;
    band.kind = FigureItemKind::Polygon;
    band.layer = kLayerMapBands;
    band.points = {{0, 0}, {40, 0}, {40, 30}, {0, 30}};
    band.fill = 0xB41414;
    f.items.push_back(band);
    const PlotDocument doc = plotDocumentOf(f, "map");
    EXPECT_DOUBLE_EQ(doc.sheetWidth, 100.0);
    EXPECT_DOUBLE_EQ(doc.sheetHeight, 80.0);
    EXPECT_DOUBLE_EQ(doc.items[0].points[2].x, 50.0) << "the 10 mm sheet margin";
    EXPECT_DOUBLE_EQ(doc.penWidth[kLayerMapAllowable], 0.4);

    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(exportPlotByExtension(doc, (dir / "m.png").string(), &error)) << error;
    QImage image(QString::fromStdString((dir / "m.png").string()));
    ASSERT_FALSE(image.isNull());
    // 8 dots per mm: the area from (10, 10) to (50, 40) mm, y downwards on the image.
    EXPECT_EQ(image.pixelColor(30 * 8, (80 - 25) * 8), QColor(0xB4, 0x14, 0x14));
    EXPECT_EQ(image.pixelColor(70 * 8, (80 - 25) * 8), QColor(Qt::white)) << "outside it";
}

TEST(SafetyMapRender, PlotMapWritesEachFormat)
{
    test::TempDir dir;
    const std::string file = (test::examplesDir() / "quay_backfill.SDW").string();
    for (const char* name : {"map.png", "map.pdf", "map.svg"}) {
        SCOPED_TRACE(name);
        std::string out;
        const int rc = test::runCommand("'" + test::cliPath().string() + "' plot '" + file +
                                            "' --map --workdir '" + dir.path().string() + "' -o '" +
                                            (dir / name).string() + "' 2>&1",
                                        &out);
        ASSERT_EQ(rc, 0) << out;
        ASSERT_TRUE(fs::exists(dir / name)) << out;
        EXPECT_GT(fs::file_size(dir / name), 2000u);
    }
    std::string text;
    if (test::runCommand("pdftotext '" + (dir / "map.pdf").string() + "' -", &text) == 0) {
        EXPECT_NE(text.find("安全率分布図"), std::string::npos) << text;
        EXPECT_NE(text.find("２次格子"), std::string::npos) << "one panel per grid";
        EXPECT_NE(text.find("1.109"), std::string::npos) << "the minimum is written";
    }
    // The plot file of the same run is the figure's, without the map.
    EXPECT_EQ(test::readBytes(dir / kPlotFileName).find("FS_MAP"), std::string::npos);
}

} // namespace
} // namespace keltora
