// The factor-of-safety map in the main window: the result table's map tab follows the
// level tabs and paints the map in colour; the DXF command writes the figure under the
// chosen name, and tells why when it cannot. With KELTORA_SCREENSHOT_DIR set, the map tab
// is saved there as result_table_map.png.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>

#include "analysis/calculation.h"
#include "model/dxf_import.h"
#include "model/sdw_file.h"
#include "output/dxf_writer.h"
#include "test_support.h"
#include "ui/calculation_commands.h"
#include "ui/main_window.h"
#include "ui/result_table_dialog.h"
#include "ui/safety_map_view.h"
#include "ui_test_support.h"

namespace keltora {
namespace {

namespace fs = std::filesystem;

// Pixels whose colour is clearly not a grey: the filled bands.
int colouredPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) -
                    std::min({c.red(), c.green(), c.blue()}) >
                40)
                ++n;
        }
    return n;
}

TEST(SafetyMapTab, FollowsTheLevelTabsAndPaintsTheMap)
{
    test::guiApp();
    test::TempDir dir;
    SlopeModel m;
    resetModel(m);
    ASSERT_EQ(readDataFile(m, test::examplesDir() / "embankment_bishop.SDW").status, 0);
    CalcOptions o;
    o.workDir = dir.path();
    const CalculationRun run = calculate(m, o);
    ASSERT_EQ(run.outcome.calcState, kResultsValid);

    ui::ResultTableDialog dialog;
    dialog.resize(760, 560);
    dialog.setMapContext(m.conditions.allowableSafetyFactor, true);
    dialog.setResults(run.results);
    dialog.show();
    QApplication::processEvents();
    ASSERT_EQ(dialog.viewTabs()->count(), 2);
    EXPECT_EQ(dialog.viewTabs()->currentIndex(), 0) << "the numbers first, as before";
    EXPECT_EQ(dialog.viewTabs()->tabText(1), QString::fromUtf8("安全率分布図"));
    dialog.viewTabs()->setCurrentIndex(1);
    QApplication::processEvents();

    ui::SafetyMapView* view = dialog.mapView();
    EXPECT_EQ(view->map().grid, 1);
    EXPECT_DOUBLE_EQ(view->map().fmin, run.results->minima[0].f);
    EXPECT_FALSE(view->placement().labelBoxes.empty()) << "contour labels found room";
    const QImage shot = view->grab().toImage();
    EXPECT_GT(colouredPixels(shot), shot.width() * shot.height() / 40) << "filled bands";
    const QString shots = qEnvironmentVariable("KELTORA_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(dialog.grab().save(shots + "/result_table_map.png"));
    }

    // Another level: the map follows, the view tab stays.
    dialog.selectTab(1);
    QApplication::processEvents();
    EXPECT_EQ(view->map().grid, 2);
    EXPECT_EQ(dialog.viewTabs()->currentIndex(), 1);
    // A resize composes anew for the new size.
    const double before = view->placement().mmPerMetre;
    dialog.resize(1000, 700);
    QApplication::processEvents();
    EXPECT_GT(view->placement().mmPerMetre, before);

    // Start points of straight slips make no map.
    dialog.setMapContext(1.0, false);
    dialog.setResults(run.results);
    EXPECT_FALSE(dialog.viewTabs()->isTabEnabled(1));
    EXPECT_EQ(dialog.viewTabs()->currentIndex(), 0);
    EXPECT_TRUE(view->map().empty());
    dialog.hide();
}

TEST(SafetyMapTab, FigureAsDxfFromTheCalculationMenu)
{
    test::WindowFixture f;
    ui::MainWindow& w = *f.window;
    const fs::path section = f.copyExample("quay_backfill.SDW", "section.SDW");
    ASSERT_TRUE(w.openFile(QString::fromStdString(section.string())));
    auto* calc = w.findChild<ui::CalculationCommands*>();
    ASSERT_NE(calc, nullptr);
    QSignalSpy done(calc, &ui::CalculationCommands::calculationFinished);
    w.action(QStringLiteral("CalRun"))->trigger();
    ASSERT_TRUE(done.wait(60000));
    QAction* dxf = w.action(QStringLiteral("PlotDxf"));
    ASSERT_NE(dxf, nullptr);
    EXPECT_TRUE(dxf->isEnabled());

    const fs::path out = f.start / "figure.dxf";
    f.asker.files.push_back(QString::fromStdString(out.string()));
    dxf->trigger();
    ASSERT_TRUE(fs::exists(out));
    const DxfReadResult r = readDxfFile(out);
    ASSERT_EQ(r.status, 0);
    EXPECT_GT(r.drawing.lineSegments, 50);
    EXPECT_TRUE(test::readBytes(out).find(dxfLayerName(kLayerCritical)) != std::string::npos)
        << "the critical circle of the results is drawn";
    const std::size_t told = f.asker.told.size();

    // Cancelled: nothing written, nothing told.
    f.asker.files.push_back(QString());
    EXPECT_FALSE(calc->saveFigureDxf());
    EXPECT_EQ(f.asker.told.size(), told);

    // Not writable: the user is told, naming the file.
    f.asker.files.push_back(QString::fromStdString((f.start / "none" / "x.dxf").string()));
    EXPECT_FALSE(calc->saveFigureDxf());
    ASSERT_EQ(f.asker.told.size(), told + 1);
    EXPECT_NE(f.asker.told.back().text.find("x.dxf"), std::string::npos);
    EXPECT_EQ(f.asker.told.back().caption, "error");
}

} // namespace
} // namespace keltora
