// The mouse edit modes of the main window: points, lines, blocks, constructions, label
// placements, the section checks and undo. Wired here so that merges stay apart.
#include <QAction>
#include <QKeySequence>
#include <QPainter>
#include <QToolBar>

#include "edit/edit_session.h"
#include "geometry/section_checks.h"
#include "ui/edit_mode_wiring.h"
#include "ui/main_window.h"

namespace keltora::ui {

namespace {

struct ModeCommand {
    const char* name;
    int mode;
};

// The menu commands and the modes they enter.
const ModeCommand kModeCommands[] = {
    {"PAdd", kModePointAdd},
    {"PMove", kModePointMove},
    {"PDel", kModePointDelete},
    {"LAddK", 501},
    {"LAddC", 502},
    {"LAddS", 503},
    {"LAddB", 504},
    {"LAddL", kModeArcPointSmall},
    {"LAddG", kModeArcPointLarge},
    {"LDelK", 601},
    {"LDelC", 602},
    {"LDelS", 603},
    {"LDelB", 604},
    {"LDelL", 605},
    {"LDelG", 606},
    {"BAdd", kModeBlockAdd},
    {"BMove", kModeBlockMove},
    {"BDel", kModeBlockDelete},
    {"BCopy", kModeBlockCopy},
    {"BEdit", kModeBlockEdit},
    {"Waku", kModeFrame},
    {"Name", kModeTitle},
    {"LDraw", kModeDrawFlagOn},
    {"LNotDraw", kModeDrawFlagOff},
    {"DJTate", kModeSoilVertical},
    {"DJYoko", kModeSoilHorizontal},
    {"Anzen", kModeSafetyLabel},
    {"Circ", kModeExtraCircle},
    {"KAdd", kModeIntersectionAdd},
    {"KMove", kModeIntersectionMove},
    {"SAdd", kModeFootAdd},
    {"SMove", kModeFootMove},
    {"HAdd", kModeHorizontalAdd},
    {"HMove", kModeHorizontalMove},
    {"VAdd", kModeVerticalAdd},
    {"VMove", kModeVerticalMove},
    {"Tanten", kModeEndPoint},
    {"Gousei", kModeMerge},
    {"Bunkatu", kModeSplit},
    {"PLine", kModeParallel},
};

} // namespace

void MainWindow::wireEditModes()
{
    auto* modes = new EditModeWiring(*this);
    modes->setObjectName(QStringLiteral("EditModes"));
    modes->setDialogOpener(defaultModeDialogs(*this));

    view_->setOverlay([modes](QPainter& p, const ViewTransform& t) { modes->paint(p, t); });
    connect(view_, &SectionView::leftClicked, modes,
            [modes](Point2 w, QPoint) { modes->leftClick(w); });
    connect(view_, &SectionView::rightClicked, modes,
            [modes](Point2 w, QPoint) { modes->rightClick(w); });
    connect(view_, &SectionView::mouseMoved, modes,
            [modes](Point2 w, QPoint) { modes->mouseMove(w); });
    connect(document_, &SectionDocument::changed, modes, [modes] { modes->clearCheck(); });
    connect(this, &MainWindow::editingReset, modes, [modes] { modes->resetMode(); });
    // After an area command the guide line shows the edit mode's step again.
    connect(this, &MainWindow::areaCommandEnded, modes, [modes] { modes->sync(); });

    for (const ModeCommand& c : kModeCommands)
        mine(c.name, [modes, mode = c.mode] { modes->enterMode(mode); });
    for (int k = 0; k < 6; ++k)
        mine(QStringLiteral("K%1").arg(k + 1).toLatin1().constData(),
             [modes, k] { modes->enterMode(kModeSurchargeFirst + k); });
    const char* styles = "ULB";
    for (int g = 0; g < 3; ++g)
        for (int s = 0; s < 3; ++s)
            mine(QStringLiteral("G%1%2")
                     .arg(g + 1)
                     .arg(QChar::fromLatin1(styles[s]))
                     .toLatin1()
                     .constData(),
                 [modes, g, s] { modes->enterMode(kModeForceFirst + 3 * g + s); });
    for (int r = 0; r < kMaxPassiveRows; ++r)
        mine(QStringLiteral("Y%1").arg(r + 1, 2, 10, QLatin1Char('0')).toLatin1().constData(),
             [modes, r] { modes->enterMode(kModePassiveFirst + r); });
    mine("BitBtnXY", [modes] { modes->xyButton(); });
    action(QStringLiteral("BitBtnXY"))->setVisible(false);

    // The section checks draw over the view until the next change.
    mine("Kessen", [this, modes] {
        modes->enterMode(kModeNone);
        modes->showCheck(showConnections(document_->model(), 1.0 / view_->transform().scale()));
    });
    mine("BlkCheck", [this, modes] {
        modes->enterMode(kModeNone);
        modes->showCheck(showOpenBoundaries(document_->model()));
    });

    // Undo and redo: snapshots of the model; the picks of the current mode start again.
    mine("Undo", [this, modes] {
        document_->undo();
        modes->modelReplaced();
    });
    mine("Redo", [this, modes] {
        document_->redo();
        modes->modelReplaced();
    });
    QAction* undo = action(QStringLiteral("Undo"));
    QAction* redo = action(QStringLiteral("Redo"));
    undo->setShortcut(QKeySequence::Undo);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    auto followUndo = [this, undo, redo] {
        undo->setEnabled(document_->canUndo());
        redo->setEnabled(document_->canRedo());
    };
    connect(document_, &SectionDocument::undoStateChanged, this, followUndo);
    followUndo();
    // Tool bar buttons after "上書き保存".
    QAction* before = nullptr;
    const QList<QAction*> tools = panel1_->actions();
    for (int i = 0; i + 1 < tools.size(); ++i)
        if (tools[i]->objectName() == QLatin1String("Tool_Save")) before = tools[i + 1];
    for (auto [target, text, name] :
         {std::tuple{undo, "元に戻す", "Tool_Undo"}, std::tuple{redo, "やり直し", "Tool_Redo"}}) {
        auto* tool = new QAction(QString::fromUtf8(text), this);
        tool->setObjectName(QString::fromLatin1(name));
        tool->setToolTip(tool->text());
        tool->setEnabled(target->isEnabled());
        connect(target, &QAction::changed, tool,
                [tool, target] { tool->setEnabled(target->isEnabled()); });
        connect(tool, &QAction::triggered, target, &QAction::trigger);
        panel1_->insertAction(before, tool);
    }
}

} // namespace keltora::ui
