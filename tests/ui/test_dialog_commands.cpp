// The settings and table commands of the main window open their dialogs, and the DXF import
// runs from the file menu to the imported terrain.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/section_document.h"
#include "ui/ui_test_support.h"

using namespace keltora;
using namespace keltora::test;

namespace {

// Triggers a command and answers its modal dialog with `answer`; returns the form name.
QString openWith(ui::MainWindow& w, const char* command,
                 const std::function<void(QDialog&)>& answer)
{
    QString form;
    // The timer dies with `guard` when the command opened no dialog: it must never fire in a
    // later test with references to this call's dead locals.
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        form = d->objectName();
        answer(*d);
        if (d->isVisible()) d->reject();
    });
    QAction* a = w.action(QString::fromLatin1(command));
    EXPECT_TRUE(a && a->isEnabled()) << command;
    if (a) a->trigger();
    return form;
}

void cancel(QDialog& d)
{
    d.reject();
}

} // namespace

TEST(DialogCommands, SettingsAndTableCommandsOpenTheirForms)
{
    WindowFixture fx;
    ui::MainWindow& w = *fx.window;
    EXPECT_EQ(openWith(w, "CalSet", cancel), "TCal_Frm");
    EXPECT_EQ(openWith(w, "CirSet", cancel), "TCirc_Frm");
    EXPECT_EQ(openWith(w, "DrawSet", cancel), "TDraw_Frm");
    EXPECT_EQ(openWith(w, "DispSet", cancel), "TDisp_Frm");
    EXPECT_EQ(openWith(w, "Nen", cancel), "TNenT_Frm");
    EXPECT_EQ(openWith(w, "Yaita", cancel), "TYT_Frm");
    EXPECT_EQ(openWith(w, "XYEdit", cancel), "TXYT_Frm");
    EXPECT_EQ(openWith(w, "LNEdit", cancel), "TLNT_Frm");
    EXPECT_EQ(w.sectionDocument().model().modified, -1);

    // The straight methods open their own dialogs from the same command.
    w.sectionDocument().edit(QStringLiteral("method"), ui::ChangeKind::Results, [](SlopeModel& m) {
        m.conditions.method = 3;
        return true;
    });
    EXPECT_EQ(openWith(w, "CirSet", cancel), "TLine_Frm");
    w.sectionDocument().edit(QStringLiteral("method"), ui::ChangeKind::Results, [](SlopeModel& m) {
        m.conditions.method = 5;
        return true;
    });
    EXPECT_EQ(openWith(w, "CirSet", cancel), "TLine_Frm2");
}

TEST(DialogCommands, ConfirmedConditionsGoThroughTheDocument)
{
    WindowFixture fx;
    ui::MainWindow& w = *fx.window;
    int changes = 0;
    QObject::connect(&w.sectionDocument(), &ui::SectionDocument::changed, [&] { ++changes; });
    openWith(w, "CalSet", [](QDialog& d) {
        auto* e = d.findChild<QLineEdit*>(QStringLiteral("Edit2"));
        e->setText(QStringLiteral("0.2"));
        d.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    EXPECT_DOUBLE_EQ(w.sectionDocument().model().conditions.seismicCoefficient, 0.2);
    EXPECT_EQ(w.sectionDocument().model().modified, 1);
    EXPECT_EQ(changes, 1);
    // The window remembers the dialog's size entry.
    EXPECT_EQ(w.settings().windowSize(1), QSize(777, 600));
}

TEST(DialogCommands, DxfImportFromTheFileMenu)
{
    WindowFixture fx;
    ui::MainWindow& w = *fx.window;
    const auto dxf = fx.start / "SITE.DXF";
    writeBytes(dxf, "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n10\r\n0\r\n20\r\n0\r\n11\r\n"
                    "10\r\n21\r\n-2\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n");
    fx.asker.files.push_back(QString::fromStdString(dxf.string()));
    const QString form = openWith(w, "Dxf", [](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(), "1");
        d.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    });
    EXPECT_EQ(form, "TDxf");
    const SlopeModel& m = w.sectionDocument().model();
    EXPECT_EQ(m.pointCount, 2);
    EXPECT_EQ(m.lineCount, 1);
    EXPECT_DOUBLE_EQ(m.points[1].y, -2.0);
    EXPECT_EQ(m.modified, 1);

    // A second import asks first; No leaves the terrain.
    fx.asker.answers.push_back(ui::Answer::No);
    openWith(w, "Dxf", cancel);
    ASSERT_FALSE(fx.asker.questions.empty());
    EXPECT_EQ(fx.asker.questions.back().toStdString(),
              "現在の地形データを削除して指定したＤＸＦファイルで置き換えます。");
    EXPECT_EQ(w.sectionDocument().model().pointCount, 2);
}
