// Tests of the plot file reader and painter: a golden plot file read back and rendered to
// PNG, PDF and SVG; malformed records skipped and counted; the plotter's export mode.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <cmath>

#include "model/text_encoding.h"
#include "output/plot_file.h"
#include "render/plot_painter.h"
#include "render/plot_reader.h"
#include "render/plot_view.h"
#include "test_support.h"

namespace keltora {
namespace {

// Qt painting of text needs an application object; the suite runs offscreen.
QApplication& app()
{
    static int argc = 1;
    static char name[] = "keltora_gui_tests";
    static char* argv[] = {name, nullptr};
    // Another suite of this binary may have created it already.
    static QApplication* a = qobject_cast<QApplication*>(QCoreApplication::instance())
                                 ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                 : new QApplication(argc, argv);
    return *a;
}

std::filesystem::path golden(const char* name)
{
    return test::testDataDir() / "plot" / name;
}

TEST(PlotReader, ReadsTheGoldenFileBack)
{
    std::string error;
    auto doc = readPlotFile(golden("fellenius.VOV"), &error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->name, "計算対照図");
    EXPECT_EQ(doc->malformed, 0);
    EXPECT_DOUBLE_EQ(doc->sheetWidth, 280.0);
    EXPECT_DOUBLE_EQ(doc->sheetHeight, 200.0);
    EXPECT_DOUBLE_EQ(doc->penWidth[1], 0.25);
    EXPECT_DOUBLE_EQ(doc->penWidth[12], 0.18);
    EXPECT_DOUBLE_EQ(doc->penWidth[4], 0.13);
    // The frame's bottom line (10, 10)-(270, 10) on layer 14 comes first.
    ASSERT_FALSE(doc->items.empty());
    const FigureItem& frame = doc->items.front();
    EXPECT_EQ(frame.kind, FigureItemKind::Line);
    EXPECT_EQ(frame.layer, 14);
    EXPECT_DOUBLE_EQ(frame.p1.x, 10.0);
    EXPECT_DOUBLE_EQ(frame.p2.x, 270.0);
    int arcs = 0, texts = 0, arrows = 0, marks = 0;
    bool title = false;
    for (const FigureItem& it : doc->items) {
        arcs += it.kind == FigureItemKind::Arc;
        arrows += it.kind == FigureItemKind::Arrow;
        marks += it.kind == FigureItemKind::PointMark;
        texts += it.kind == FigureItemKind::Text;
        title = title || it.text == "円形すべり（修正フェレニウス法）計算対照図";
    }
    EXPECT_EQ(arcs, 2);
    EXPECT_EQ(marks, 3);
    EXPECT_GT(arrows, 10);
    EXPECT_GT(texts, 20);
    EXPECT_TRUE(title);
}

TEST(PlotReader, MalformedRecordsAreSkippedAndCounted)
{
    const std::string bytes = utf8ToCp932("計算対照図\r\n"
                                          "SZ28000000,20000000\r\n"
                                          "DL0,0,100,100,4\r\n"
                                          "DL0,0,abc,100,4\r\n"  // not a number
                                          "DL0,0,100\r\n"        // too few fields
                                          "DL0,0,1,2,3,4,5\r\n"  // too many
                                          "GC1,2,3,4,5,6,-1\r\n" // arc without layer
                                          "XX1,2\r\n"            // unknown code
                                          "Q\r\n"                // too short
                                          "VJ100,200,300000,300000,0,8,a,b, c\r\n"
                                          "LY0,99999999,7,3,03\r\n" // absurd pen width
                                          "DL1e400,0,1,1,4\r\n"     // out of range
                                          "AP5,5,50000,11,8");      // last line without line end
    PlotDocument doc = parsePlotFile(bytes);
    EXPECT_EQ(doc.malformed, 8);
    EXPECT_EQ(doc.problems.front(), "DL0,0,abc,100,4");
    ASSERT_EQ(doc.items.size(), 3u);
    EXPECT_EQ(doc.items[1].text, "a,b, c"); // a text keeps its commas
    EXPECT_DOUBLE_EQ(doc.items[2].size, 0.5);
    // Garbage of every kind never crashes.
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise += static_cast<char>((i * 7919) % 251);
    EXPECT_NO_THROW(parsePlotFile(noise));
    EXPECT_NO_THROW(parsePlotFile(""));

    // The hand-off file names the plot file in its folder.
    test::TempDir dir;
    test::writeBytes(dir / "DirPath2.inf", "/some/where/\r\nSBPLOT01.VOV\r\n$$$$$$$$\r\n");
    std::string error;
    auto p = readPlotHandOff(dir / "DirPath2.inf", &error);
    ASSERT_TRUE(p) << error;
    EXPECT_EQ(p->string(), "/some/where/SBPLOT01.VOV");
    test::writeBytes(dir / "bad.inf", "/only/one/line\r\n");
    EXPECT_FALSE(readPlotHandOff(dir / "bad.inf", &error));
    EXPECT_FALSE(readPlotHandOff(dir / "missing.inf", &error));
}

// Not background: thin pens are antialiased into light grey at 4 dots per mm.
bool inked(QRgb c)
{
    return qGray(c) < 240;
}

TEST(PlotRender, GoldenFileToPngPdfSvg)
{
    app();
    std::string error;
    auto doc = readPlotFile(golden("fellenius.VOV"), &error);
    ASSERT_TRUE(doc) << error;
    test::TempDir dir;
    QString qerror;
    const QString png = QString::fromStdString((dir / "f.png").string());
    ASSERT_TRUE(exportPlotPng(*doc, png, 4.0, &qerror)) << qerror.toStdString();
    QImage image(png);
    // The A4 sheet, 280 x 200 mm at 4 dots per mm.
    ASSERT_EQ(image.width(), 1120);
    ASSERT_EQ(image.height(), 800);
    // White margin outside the frame (sheet margin 10 mm = 40 px), ink on the frame line.
    EXPECT_FALSE(inked(image.pixel(20, 20)));
    EXPECT_FALSE(inked(image.pixel(1100, 780)));
    int frameInk = 0;
    for (int x = 100; x < 1000; x += 10)
        frameInk += inked(image.pixel(x, 800 - 40)) || inked(image.pixel(x, 800 - 41));
    EXPECT_GT(frameInk, 80);
    // Something drawn inside the frame: the section, the circle, texts.
    int inside = 0;
    for (int y = 50; y < 750; ++y)
        for (int x = 50; x < 1070; ++x)
            inside += inked(image.pixel(x, y));
    EXPECT_GT(inside, 5000);
    // The title band text (8 mm high) in the top band, 10..20 mm below the sheet top.
    int title = 0;
    for (int y = 44; y < 80; ++y)
        for (int x = 300; x < 800; ++x)
            title += inked(image.pixel(x, y));
    EXPECT_GT(title, 500);

    const QString pdf = QString::fromStdString((dir / "f.pdf").string());
    const QString svg = QString::fromStdString((dir / "f.svg").string());
    ASSERT_TRUE(exportPlotPdf(*doc, pdf, &qerror));
    ASSERT_TRUE(exportPlotSvg(*doc, svg, &qerror));
    EXPECT_EQ(test::readBytes(dir / "f.pdf").substr(0, 5), "%PDF-");
    const std::string s = test::readBytes(dir / "f.svg");
    EXPECT_NE(s.find("width=\"280mm\""), std::string::npos) << s.substr(0, 400);
    // Unwritable targets are reported.
    EXPECT_FALSE(exportPlotPng(*doc, "/no/such/dir/x.png", 4.0, &qerror));
}

TEST(PlotRender, PlotterExportsWithoutAWindow)
{
    test::TempDir dir;
    const auto plotter = test::cliPath().parent_path() / kPlotterProgram;
    ASSERT_TRUE(std::filesystem::exists(plotter));
    // From the hand-off file in the working folder.
    test::writeBytes(dir / kPlotFileName, test::readBytes(golden("bishop.VOV")));
    test::writeBytes(dir / kPlotHandOffName,
                     dir.path().string() + "/\r\nSBPLOT01.VOV\r\n$$$$$$$$\r\n");
    std::string out;
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + plotter.string() +
                            "' --png b.png --svg b.svg --pdf b.pdf 2>&1";
    EXPECT_EQ(test::runCommand(cmd, &out), 0) << out;
    EXPECT_TRUE(std::filesystem::exists(dir / "b.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "b.svg"));
    EXPECT_TRUE(std::filesystem::exists(dir / "b.pdf"));
    // A file with a bad record: drawn, and the skipped record reported.
    test::writeBytes(dir / "bad.VOV", test::readBytes(golden("line_segments.VOV")) + "DLx\r\n");
    EXPECT_EQ(test::runCommand("'" + plotter.string() + "' '" + (dir / "bad.VOV").string() +
                                   "' --png '" + (dir / "c.png").string() + "' 2>&1",
                               &out),
              0);
    EXPECT_NE(out.find("1 unreadable record"), std::string::npos) << out;
    // The window itself, saved without a screen.
    EXPECT_EQ(test::runCommand("'" + plotter.string() + "' '" + (dir / "bad.VOV").string() +
                                   "' --screenshot '" + (dir / "w.png").string() + "' 2>&1",
                               &out),
              0)
        << out;
    QImage window(QString::fromStdString((dir / "w.png").string()));
    EXPECT_GE(window.width(), 320);
    // No hand-off file and no argument: an error exit, no window.
    test::TempDir empty;
    EXPECT_NE(test::runCommand("cd '" + empty.path().string() + "' && '" + plotter.string() +
                                   "' --png x.png 2>&1",
                               &out),
              0);
}

int inkedPixels(const QImage& image, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < 200;
    return n;
}

TEST(PlotView, ShowsTheSheetAndZooms)
{
    app();
    std::string error;
    auto doc = readPlotFile(golden("line_segments.VOV"), &error);
    ASSERT_TRUE(doc) << error;
    PlotView view;
    view.resize(600, 450);
    view.setDocument(*doc);
    QImage fitted = view.grab().toImage();
    // The white sheet fills the middle of the grey view; drawing on it.
    EXPECT_EQ(fitted.pixelColor(300, 5), QColor(96, 96, 96));
    EXPECT_GT(inkedPixels(fitted, QRect(60, 60, 480, 330)), 1000);
    // Zoomed in about the centre, the sheet covers the whole view.
    view.zoomBy(4.0, QPointF(300, 225));
    QImage zoomed = view.grab().toImage();
    EXPECT_NE(zoomed.pixelColor(300, 5), QColor(96, 96, 96));
    view.fitToWindow();
    EXPECT_EQ(view.grab().toImage(), fitted);
    // An empty document draws an empty sheet.
    view.setDocument(PlotDocument{});
    EXPECT_FALSE(view.grab().isNull());
}

TEST(PlotRender, CommandLineRendersTheFigure)
{
    test::TempDir dir;
    const std::string cli = test::cliPath().string();
    const std::string sdw = (test::examplesDir() / "quay_backfill.SDW").string();
    std::string out;
    for (const char* name : {"q.pdf", "q.svg", "q.png"}) {
        ASSERT_EQ(test::runCommand("'" + cli + "' plot '" + sdw + "' --workdir '" +
                                       dir.path().string() + "' -o '" + (dir / name).string() +
                                       "' 2>&1",
                                   &out),
                  0)
            << out;
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    }
    // The PNG shows the sheet of the example's paper at 8 dots per mm.
    std::string error;
    auto doc = readPlotFile(dir / kPlotFileName, &error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->malformed, 0);
    QImage image(QString::fromStdString((dir / "q.png").string()));
    EXPECT_EQ(image.width(), static_cast<int>(std::lround(doc->sheetWidth * 8.0)));
    EXPECT_EQ(image.height(), static_cast<int>(std::lround(doc->sheetHeight * 8.0)));
    // An unknown format is refused.
    EXPECT_EQ(test::runCommand("'" + cli + "' plot '" + sdw + "' --workdir '" +
                                   dir.path().string() + "' -o '" + (dir / "q.bmp").string() +
                                   "' 2>&1",
                               &out),
              2);
    EXPECT_NE(out.find("unknown figure format"), std::string::npos) << out;
}

} // namespace
} // namespace keltora
