// Every dialog at its default size (from the settings defaults): no control outside the
// window and no label or button narrower than its text. With KELTORA_SCREENSHOT_DIR set, a
// picture of each dialog is saved there as dialog_<form>.png (IPAGothic, as the program).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <functional>
#include <memory>

#include "model/settings_file.h"
#include "ui/block_dialog.h"
#include "ui/calc_conditions_dialog.h"
#include "ui/cohesion_line_dialog.h"
#include "ui/coordinate_input_dialog.h"
#include "ui/dialog_test_support.h"
#include "ui/display_settings_dialog.h"
#include "ui/draw_settings_dialog.h"
#include "ui/dxf_import_dialog.h"
#include "ui/point_table_dialog.h"
#include "ui/sheet_pile_dialog.h"
#include "ui/slip_settings_dialog.h"
#include "ui/table_grid.h"

using namespace keltora;
using namespace keltora::test;
using namespace keltora::ui;

namespace {

// The host with the settings' default window sizes.
class DefaultSizeHost : public FakeDialogHost {
  public:
    QSize windowSize(int entry) const override
    {
        const WindowSize w = Settings::defaultWindowSizes()[static_cast<size_t>(entry)];
        return QSize(w.width, w.height);
    }
};

// What does not fit: controls outside the dialog, texts cut by their control.
std::vector<std::string> clippedControls(QWidget* dialog)
{
    std::vector<std::string> out;
    const QRect area = dialog->rect();
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog) || w->inherits("QScrollBar") || w->inherits("QHeaderView"))
            continue;
        if (w->parentWidget() && w->parentWidget()->inherits("QAbstractScrollArea")) continue;
        const QRect r(w->mapTo(dialog, QPoint(0, 0)), w->size());
        const std::string name =
            (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                       : w->objectName())
                .toStdString();
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (!area.contains(r)) out.push_back(name + " outside: " + text.toStdString());
        const bool textual = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (textual && !text.isEmpty() && w->width() + 1 < w->sizeHint().width())
            out.push_back(name + " cut: " + text.toStdString());
        if (auto* e = qobject_cast<QLineEdit*>(w))
            if (e->width() < e->fontMetrics().horizontalAdvance(e->text()) + 8)
                out.push_back(name + " cut: " + e->text().toStdString());
        if (textual && w->height() + 1 < w->sizeHint().height())
            out.push_back(name + " squashed: " + text.toStdString());
    }
    return out;
}

struct Shot {
    const char* form;
    int sizeEntry;
    std::function<std::unique_ptr<QDialog>(DialogFixture&, DialogHost&)> make;
};

} // namespace

TEST(DialogLayout, EveryDialogFitsItsDefaultSize)
{
    DialogFixture fx;
    const QFont previous = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("IPAGothic"), 9));
    DefaultSizeHost host;
    fx.document->adjust([](SlopeModel& m) {
        m.title = "ＸＸ港改修事業　ＸＸ地区岸壁 (-7.50m)";
        m.sheetPile.passiveCount = 2;
        m.sheetPile.passiveY[1] = -5;
        m.sheetPile.passiveIntensity[1] = 30;
        m.referenceLine.count = 2;
        m.referenceLine.x[1] = 20;
        return true;
    });
    const DxfReadResult dxf = parseDxf(
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n1\n11\n2\n21\n3\n0\nENDSEC\n0\nEOF\n",
        "SITE.DXF");
    const Shot shots[] = {
        {"TCal_Frm", kSizeCalcConditions,
         [](auto& f, auto& h) { return std::make_unique<CalcConditionsDialog>(*f.document, h); }},
        {"TCirc_Frm", kSizeCircleSettings,
         [](auto& f, auto& h) { return std::make_unique<CircleSettingsDialog>(*f.document, h); }},
        {"TLine_Frm", kSizeLineByAngle,
         [](auto& f, auto& h) { return std::make_unique<LineByAngleDialog>(*f.document, h); }},
        {"TLine_Frm2", kSizeLineBySegments,
         [](auto& f, auto& h) { return std::make_unique<LineBySegmentsDialog>(*f.document, h); }},
        {"TBlk_Frm", kSizeBlock,
         [](auto& f, auto& h) { return std::make_unique<BlockDialog>(h, f.model().blocks[0]); }},
        {"TDraw_Frm", kSizeDrawSettings,
         [](auto& f, auto& h) { return std::make_unique<DrawSettingsDialog>(*f.document, h); }},
        {"TDisp_Frm", kSizeDisplaySettings,
         [](auto& f, auto& h) { return std::make_unique<DisplaySettingsDialog>(*f.document, h); }},
        {"TXYT_Frm", kSizePointTable,
         [](auto& f, auto& h) { return std::make_unique<PointTableDialog>(*f.document, h); }},
        {"TLNT_Frm", kSizeLineTable,
         [](auto& f, auto& h) { return std::make_unique<LineTableDialog>(*f.document, h); }},
        {"TNenT_Frm", kSizeReferenceLine,
         [](auto& f, auto& h) { return std::make_unique<CohesionLineDialog>(*f.document, h); }},
        {"TYT_Frm", kSizeSheetPile,
         [](auto& f, auto& h) { return std::make_unique<SheetPileDialog>(*f.document, h); }},
        {"TXY_Frm", kSizeCoordinateInput,
         [](auto& f, auto& h) {
             return std::make_unique<CoordinateInputDialog>(*f.document, h, CoordinateMode::Move,
                                                            2);
         }},
        {"TPLine_Frm", kSizeParallelLine,
         [](auto&, auto& h) { return std::make_unique<ParallelLineDialog>(h, 1.0); }},
        {"TDxf", kSizeDxfImport,
         [&dxf](auto& f, auto& h) {
             return std::make_unique<DxfImportDialog>(*f.document, h, dxf.drawing,
                                                      QStringLiteral("SITE.DXF"));
         }},
    };
    const QByteArray dir = qgetenv("KELTORA_SCREENSHOT_DIR");
    for (const Shot& shot : shots) {
        std::unique_ptr<QDialog> d = shot.make(fx, host);
        d->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(d->objectName().toStdString(), shot.form);
        // The layout needs no more room than the specified default size.
        EXPECT_EQ(d->size(), host.windowSize(shot.sizeEntry)) << shot.form;
        for (const std::string& problem : clippedControls(d.get()))
            ADD_FAILURE() << shot.form << " " << d->width() << "x" << d->height() << ": "
                          << problem;
        if (!dir.isEmpty())
            d->grab().save(QDir(QString::fromLocal8Bit(dir))
                               .filePath(QStringLiteral("dialog_%1.png").arg(shot.form)));
    }
    QApplication::setFont(previous);
}
