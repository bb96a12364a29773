// The main window: start-up with and without the settings file, the command set, the file
// menu (recent files, the save prompt with its answers, captions, files read with warnings)
// and the settings written once at close.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "model/text_encoding.h"
#include "ui_test_support.h"

namespace keltora {
namespace {

using test::WindowFixture;
using ui::Answer;
namespace fs = std::filesystem;

QString qs(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

void writeSettingsFile(const fs::path& dir, const std::string& utf8)
{
    test::writeBytes(dir / "KORVAN.ini", utf8ToCp932(utf8));
}

TEST(MainWindowStart, WithoutSettingsFile)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    EXPECT_EQ(w.objectName(), "TMain_Frm");
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (無題)");
    EXPECT_FALSE(w.settings().readFromFile());
    EXPECT_EQ(w.settings().dataDirectory(), qs(f.start.path()));
    EXPECT_EQ(w.settings().windowSize(1), QSize(777, 600));
    EXPECT_EQ(w.settings().windowSize(13), QSize(646, 493));
    EXPECT_EQ(w.settings().windowSize(15), QSize(388, 340));
    for (int k = 1; k <= 5; ++k)
        EXPECT_FALSE(w.action(QStringLiteral("F%1").arg(k))->isVisible());
    EXPECT_EQ(w.guideText(), "メニュー・ボタンで処理したい機能を選択してください。");
    EXPECT_EQ(w.sectionDocument().model().modified, -1);
    EXPECT_NE(w.findChild<QLabel*>("Panel2"), nullptr);
    EXPECT_NE(w.findChild<QLabel*>("Panel3"), nullptr);
    EXPECT_NE(w.findChild<QWidget*>("Image1"), nullptr);
    EXPECT_NE(w.findChild<QWidget*>("ScrollBar1"), nullptr);
    EXPECT_NE(w.findChild<QWidget*>("ScrollBar2"), nullptr);
    EXPECT_NE(w.findChild<QWidget*>("Panel1"), nullptr);
}

TEST(MainWindowStart, EveryCommandIsPresentAndUnbuiltOnesAreDisabled)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    const std::vector<std::pair<const char*, const char*>> commands = {
        {"New_Data", "新規(&N)"},
        {"Open", "開く(&O)"},
        {"Joken", "条件読み込み(&J)"},
        {"Block", "ブロック読み込み(&B)"},
        {"Tikei", "地形読み込み(&T)"},
        {"Dxf", "DXF(地形)読み込み(&D)"},
        {"Save", "上書き保存(&R)"},
        {"SaveAs", "名前を付けて保存(&W)"},
        {"DefPrt", "標準のプリンターを設定(&P)"},
        {"MainExit", "終了(&X)"},
        {"HelpDisp", "ヘルプ(&H)"},
        {"Fsize", "ウィンドウサイズ→既定値(&W)"},
        {"CalRun", "安定検討計算(&A)"},
        {"Kekka", "計算結果の表示(&D)"},
        {"PlotDraw", "計算対象図の作図(&D)"},
        {"ReportPrint", "計算書の印刷(&P)"},
        {"AllShow", "全表示(&A)"},
        {"ZoomIn", "ズームイン(&I)"},
        {"ZoomOut", "ズームアウト(&O)"},
        {"AreaEnlarge", "領域拡大(&B)"},
        {"AreaShrink", "領域縮小(&S)"},
        {"CalSet", "計算条件設定(&K)"},
        {"CirSet", "すべり円/線設定(&C)"},
        {"DrawSet", "作図条件設定(&P)"},
        {"DispSet", "表示条件設定(&D)"},
        {"Nen", "粘着力基準線設定(&N)"},
        {"Yaita", "矢板設定(&Y)"},
        {"XYEdit", "座標編集－表形式(&Z)"},
        {"LNEdit", "線分編集－表形式(&T)"},
        {"PAdd", "追加(&A)"},
        {"LAddK", "境界線(&K)"},
        {"LDelG", "円弧制限点－大(&G)"},
        {"KAdd", "交点追加(&K)"},
        {"VMove", "垂直交点移動(&W)"},
        {"Tanten", "線分の端点を変更(&A)"},
        {"Gousei", "２線分を１線分に合成(&G)"},
        {"Bunkatu", "線分を指定点で分割(&C)"},
        {"PLine", "平行線の追加"},
        {"BCopy", "複写(&C)"},
        {"Kessen", "結線チェック(&C)"},
        {"BlkCheck", "ブロックチェック(&L)"},
        {"Waku", "作図枠の配置(&W)"},
        {"Name", "業務名の配置(&G)"},
        {"LDraw", "作図指示(&D)"},
        {"LNotDraw", "作図不要指示(&E)"},
        {"DJTate", "縦配置(&V)"},
        {"DJYoko", "横配置(&H)"},
        {"G2B", "矢線の後に配置(&B)"},
        {"Anzen", "安全率の配置(&F)"},
        {"Circ", "すべり円の追加記入(&C)"},
    };
    for (const auto& [name, text] : commands) {
        QAction* a = w.action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(text)) << name;
        // A command is either wired (enabled) or disabled and says so; the result table is
        // wired but waits for results.
        if (!a->isEnabled() && std::string(name) != "Kekka") {
            EXPECT_EQ(a->statusTip(), "未実装") << name;
        }
    }
    for (const char* name : {"K1", "K6", "Y01", "Y64", "BitBtnXY"})
        EXPECT_NE(w.action(QString::fromLatin1(name)), nullptr) << name;
    for (const char* name : {"FileMenu", "Sakuzu", "KMenu", "GMenu", "YMenu", "DJMenu"})
        EXPECT_NE(w.menu(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w.menu("FileMenu")->title(), "ファイル(&F)");
    EXPECT_EQ(w.menu("Sakuzu")->title(), "作図(&Z)");
    // The file commands of this window are built.
    for (const char* name : {"New_Data", "Open", "Joken", "Block", "Tikei", "Save", "SaveAs",
                             "MainExit", "AllShow", "ZoomIn", "AreaEnlarge", "Fsize", "HelpDisp"})
        EXPECT_TRUE(w.action(QString::fromLatin1(name))->isEnabled()) << name;
    // Without results the figure menu is hidden.
    EXPECT_FALSE(w.menu("Sakuzu")->menuAction()->isVisible());
}

TEST(MainWindowStart, WithSettingsFile)
{
    WindowFixture f(false);
    const std::string a = (f.start.path() / "a.SDW").string();
    const std::string b = (f.start.path() / "b&c.SDW").string();
    std::string ini = "/data/dir\n" + a + "\n" + b + "\n\n\n\n";
    for (int k = 0; k < 32; ++k)
        ini += std::to_string(100 + k) + " " + std::to_string(200 + k) + " 0 0\n";
    writeSettingsFile(f.start.path(), ini);
    f.create();
    ui::MainWindow& w = *f.window;
    EXPECT_TRUE(w.settings().readFromFile());
    EXPECT_EQ(w.settings().dataDirectory(), "/data/dir");
    EXPECT_EQ(w.settings().windowSize(13), QSize(113, 213));
    EXPECT_TRUE(w.action("F1")->isVisible());
    EXPECT_EQ(w.action("F1")->text(), QString::fromStdString(a) + " (&1)");
    EXPECT_TRUE(w.action("F2")->isVisible());
    // An '&' of a path is shown, not taken as the accelerator.
    EXPECT_EQ(w.action("F2")->text(), QString::fromStdString(b).replace("&", "&&") + " (&2)");
    EXPECT_FALSE(w.action("F3")->isVisible());
    EXPECT_TRUE(w.findChild<QAction*>("N1")->isVisible());

    // Reset to defaults.
    w.action("Fsize")->trigger();
    EXPECT_EQ(w.settings().windowSize(13), QSize(646, 493));
}

TEST(MainWindowStart, ShortAndDamagedSettingsFiles)
{
    {
        WindowFixture f(false);
        writeSettingsFile(f.start.path(), "/somewhere\n/x/one.SDW\n/x/two.SDW\n");
        f.create();
        EXPECT_EQ(f.window->settings().recentFile(0), "/x/one.SDW");
        EXPECT_EQ(f.window->settings().recentFile(1), "/x/two.SDW");
        EXPECT_EQ(f.window->settings().recentFile(2), "");
        EXPECT_EQ(f.window->settings().windowSize(2), QSize(432, 505));
    }
    {
        // Sizes no window can have fall back to the entry's default.
        WindowFixture f(false);
        std::string ini = "/d\n\n\n\n\n\n";
        for (int k = 0; k < 32; ++k)
            ini += k == 1 ? "-5 99999999 0 0\n" : "garbage\n";
        writeSettingsFile(f.start.path(), ini);
        f.create();
        EXPECT_EQ(f.window->settings().windowSize(1), QSize(777, 600));
        EXPECT_EQ(f.window->settings().windowSize(3), QSize(475, 412));
        EXPECT_FALSE(f.window->action("F1")->isVisible());
    }
}

TEST(MainWindowClose, WritesTheSettingsOnce)
{
    WindowFixture f;
    f.window->settings().rememberWindowSize(7, QSize(500, 450));
    EXPECT_TRUE(f.window->close());
    const std::string bytes = test::readBytes(f.start.path() / "KORVAN.ini");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 38);
    EXPECT_NE(bytes.find("500 450 0 0\r\n"), std::string::npos);
    // A second close (or a later screenshot exit) writes nothing again.
    fs::remove(f.start.path() / "KORVAN.ini");
    f.window->writeSettingsOnce();
    EXPECT_FALSE(fs::exists(f.start.path() / "KORVAN.ini"));
}

TEST(MainWindowClose, CancelKeepsTheWindowOpen)
{
    WindowFixture f;
    f.window->sectionDocument().edit("t", ui::ChangeKind::Figure, [](SlopeModel& m) {
        m.title = "changed";
        return true;
    });
    f.asker.answers = {Answer::Cancel};
    EXPECT_FALSE(f.window->close());
    EXPECT_FALSE(fs::exists(f.start.path() / "KORVAN.ini"));
    f.asker.answers = {Answer::No};
    EXPECT_TRUE(f.window->close());
    EXPECT_TRUE(fs::exists(f.start.path() / "KORVAN.ini"));
}

TEST(RecentFiles, OpenMovesToTopAndSixthPushesOutTheOldest)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    std::vector<fs::path> files;
    for (int k = 0; k < 6; ++k)
        files.push_back(f.copyExample("embankment.SDW", "f" + std::to_string(k) + ".SDW"));
    for (int k = 0; k < 5; ++k)
        ASSERT_TRUE(w.openFile(qs(files[static_cast<size_t>(k)])));
    // Most recent first: f4 f3 f2 f1 f0.
    EXPECT_EQ(w.settings().recentFile(0), qs(files[4]));
    EXPECT_EQ(w.settings().recentFile(4), qs(files[0]));
    // Entry 3 (f2) opened again: to the top; 1 and 2 move down, 4 and 5 stay.
    w.action("F3")->trigger();
    EXPECT_EQ(w.settings().recentFile(0), qs(files[2]));
    EXPECT_EQ(w.settings().recentFile(1), qs(files[4]));
    EXPECT_EQ(w.settings().recentFile(2), qs(files[3]));
    EXPECT_EQ(w.settings().recentFile(3), qs(files[1]));
    EXPECT_EQ(w.settings().recentFile(4), qs(files[0]));
    EXPECT_EQ(w.action("F1")->text(), qs(files[2]) + " (&1)");
    // A sixth distinct file pushes out the oldest.
    ASSERT_TRUE(w.openFile(qs(files[5])));
    EXPECT_EQ(w.settings().recentFile(0), qs(files[5]));
    for (int k = 0; k < 5; ++k)
        EXPECT_NE(w.settings().recentFile(k), qs(files[0]));
    // The same file under another spelling takes a second entry.
    ASSERT_TRUE(w.openFile(qs(f.start.path() / "." / "f5.SDW")));
    EXPECT_EQ(w.settings().recentFile(1), qs(files[5]));
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (f5)");
    EXPECT_EQ(w.settings().dataDirectory(), qs(f.start.path() / "."));
}

TEST(RecentFiles, AMissingFileIsReportedAndTheDocumentStays)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    ASSERT_TRUE(w.openFile(qs(f.copyExample("embankment.SDW", "kept.SDW"))));
    EXPECT_FALSE(w.openFile(qs(f.start.path() / "gone.SDW")));
    ASSERT_EQ(f.asker.told.size(), 1u);
    EXPECT_EQ(f.asker.told[0].caption, "error");
    EXPECT_EQ(w.sectionDocument().model().dataName, "kept");
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (kept)");
}

TEST(ConfirmDiscard, YesNoCancelAndTheMendedFailedSave)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    auto change = [&w] {
        w.sectionDocument().edit("t", ui::ChangeKind::Results, [](SlopeModel& m) {
            m.conditions.seismicCoefficient += 0.01;
            return true;
        });
    };
    // Untouched: no question.
    EXPECT_TRUE(w.confirmDiscard());
    EXPECT_TRUE(f.asker.questions.empty());

    change();
    f.asker.answers = {Answer::Cancel};
    EXPECT_FALSE(w.confirmDiscard());
    ASSERT_EQ(f.asker.questions.size(), 1u);
    EXPECT_EQ(f.asker.questions[0], "データが変更されています。保存終了しますか？");

    f.asker.answers = {Answer::No};
    EXPECT_TRUE(w.confirmDiscard());
    EXPECT_EQ(w.sectionDocument().model().modified, 1);

    // Yes on an untitled document runs Save As; cancelling it does not proceed.
    f.asker.answers = {Answer::Yes};
    f.asker.files = {QString()};
    EXPECT_FALSE(w.confirmDiscard());
    EXPECT_EQ(f.asker.fileDialogTitles.back(), "データファイルを名前を付けて保存する");

    // Yes and a Save As that works: proceeds, file written, caption and recent list follow.
    f.asker.answers = {Answer::Yes};
    f.asker.files = {qs(f.start.path() / "saved.sdw")};
    EXPECT_TRUE(w.confirmDiscard());
    EXPECT_TRUE(fs::exists(f.start.path() / "saved.SDW"));
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (saved)");
    EXPECT_EQ(w.settings().recentFile(0), qs(f.start.path() / "saved.SDW"));
    EXPECT_EQ(w.sectionDocument().model().modified, 0);

    // Yes on a named document whose folder has gone: the save fails, the window says so,
    // and the discard does not go ahead.
    const fs::path sub = f.start.path() / "sub";
    fs::create_directory(sub);
    f.asker.files = {qs(sub / "doomed.SDW")};
    ASSERT_TRUE(w.saveAs());
    fs::remove_all(sub);
    change();
    f.asker.answers = {Answer::Yes};
    f.asker.told.clear();
    EXPECT_FALSE(w.confirmDiscard());
    ASSERT_EQ(f.asker.told.size(), 1u);
    EXPECT_EQ(f.asker.told[0].caption, "error");
    EXPECT_EQ(w.sectionDocument().model().modified, 1);

    // New after the failed save keeps the work when the save fails again.
    f.asker.answers = {Answer::Yes};
    w.newDocument();
    EXPECT_EQ(w.sectionDocument().model().dataName, "doomed");
}

TEST(FileMenu, CaptionAfterNewOpenAndSaveAs)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    f.asker.files = {qs(f.copyExample("quay_backfill.SDW", "quay.sdw"))};
    w.action("Open")->trigger();
    EXPECT_EQ(f.asker.fileDialogTitles.back(), "データファイルを開く");
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (quay)");
    EXPECT_EQ(w.sectionDocument().model().modified, 0);
    f.asker.files = {qs(f.start.path() / "copy")};
    w.action("SaveAs")->trigger();
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (copy)");
    EXPECT_TRUE(fs::exists(f.start.path() / "copy.SDW"));
    w.action("New_Data")->trigger();
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (無題)");
    EXPECT_EQ(w.sectionDocument().model().pointCount, 0);
    // Save on an unchanged document writes nothing.
    fs::remove(f.start.path() / "copy.SDW");
    EXPECT_TRUE(w.save());
    EXPECT_TRUE(f.asker.fileDialogTitles.size() == 2u);
    // A cancelled open dialog changes nothing.
    f.asker.files = {QString()};
    w.action("Open")->trigger();
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (無題)");
}

TEST(FileMenu, FileWithReadWarningsShowsThemOnceAndCountsAsChanged)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    std::string bytes = test::readBytes(test::examplesDir() / "quay_backfill.SDW");
    bytes.resize(bytes.size() * 2 / 3); // ends early
    test::writeBytes(f.start.path() / "cut.SDW", bytes);
    ASSERT_TRUE(w.openFile(qs(f.start.path() / "cut.SDW")));
    ASSERT_EQ(f.asker.told.size(), 1u);
    EXPECT_FALSE(f.asker.told[0].text.empty());
    EXPECT_EQ(w.sectionDocument().model().modified, 1);
    // Leaving it asks first.
    f.asker.answers = {Answer::Cancel};
    EXPECT_FALSE(w.confirmDiscard());
    // Saving does not write what was read over the damaged file: it asks for a name, and a
    // cancelled choice leaves the file as it was.
    f.asker.files = {QString()};
    EXPECT_FALSE(w.save());
    EXPECT_EQ(f.asker.fileDialogTitles.back(), "データファイルを名前を付けて保存する");
    EXPECT_EQ(test::readBytes(f.start.path() / "cut.SDW"), bytes);
    // Once saved under a name of the user's choosing, saving writes there as usual.
    f.asker.files = {qs(f.start.path() / "mended.SDW")};
    ASSERT_TRUE(w.save());
    EXPECT_EQ(test::readBytes(f.start.path() / "cut.SDW"), bytes);
    const std::size_t dialogs = f.asker.fileDialogTitles.size();
    w.sectionDocument().adjust([](SlopeModel& m) {
        m.modified = 1;
        return true;
    });
    ASSERT_TRUE(w.save());
    EXPECT_EQ(f.asker.fileDialogTitles.size(), dialogs);
    // A file read whole saves in place again.
    ASSERT_TRUE(w.openFile(qs(f.start.path() / "mended.SDW")));
    w.sectionDocument().adjust([](SlopeModel& m) {
        m.modified = 1;
        return true;
    });
    ASSERT_TRUE(w.save());
    EXPECT_EQ(f.asker.fileDialogTitles.size(), dialogs);
}

TEST(FileMenu, PartialLoadsKeepNameAndMarkChanged)
{
    WindowFixture f;
    ui::MainWindow& w = *f.window;
    ASSERT_TRUE(w.openFile(qs(f.copyExample("embankment.SDW", "base.SDW"))));
    const int points = w.sectionDocument().model().pointCount;
    f.asker.files = {qs(f.copyExample("quay_backfill.SDW", "other.SDW"))};
    w.action("Tikei")->trigger();
    EXPECT_EQ(f.asker.fileDialogTitles.back(), "地形データを読み込む");
    EXPECT_EQ(w.sectionDocument().model().dataName, "base");
    EXPECT_EQ(w.windowTitle(), "KELTORAシステム for Windows (base)");
    EXPECT_EQ(w.sectionDocument().model().modified, 1);
    EXPECT_NE(w.sectionDocument().model().pointCount, points);
    EXPECT_EQ(w.settings().recentFile(0), qs(f.start.path() / "base.SDW"));
    // A missing file: the message, nothing changes.
    f.asker.files = {qs(f.start.path() / "none.SDW")};
    w.action("Joken")->trigger();
    EXPECT_EQ(f.asker.told.back().caption, "error");
}

TEST(FileMenu, HelpOpensTheManual)
{
    WindowFixture f;
    QUrl opened;
    f.window->setUrlOpener([&opened](const QUrl& u) {
        opened = u;
        return true;
    });
    f.window->action("HelpDisp")->trigger();
    // Run from the build folder the manual is found in the source tree beside it.
    if (!f.window->helpUrl().isEmpty()) {
        EXPECT_EQ(opened, f.window->helpUrl());
        EXPECT_TRUE(opened.toLocalFile().endsWith("manual/index.html"));
    }
}

} // namespace
} // namespace keltora
