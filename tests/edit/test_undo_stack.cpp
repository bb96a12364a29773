// Undo and redo by snapshots: a mixed sequence of mouse edits, a dialog and an import is
// undone and redone to the byte-identical saved text of every earlier state; the saved
// position makes the document unmodified; results are discarded as the edit did.
#include <gtest/gtest.h>

#include "edit/undo_stack.h"
#include "edit_harness.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
using keltora::test::EditBench;

namespace {

std::string text(const SlopeModel& m)
{
    return formatDataFile(m, "undo");
}

// Records a change the way the window does: the model before, the change, the flags.
void edit(EditBench& b, const std::string& name, ChangeEffect effect,
          const std::function<void(SlopeModel&)>& change)
{
    EditOutcome out;
    out.change = [change](SlopeModel& m) {
        change(m);
        return true;
    };
    out.effect = effect;
    out.undoText = name;
    b.apply(out);
}

} // namespace

TEST(UndoStack, MixedSequenceRestoresEveryStateByteForByte)
{
    EditBench b;
    const auto demo = std::make_unique<SlopeModel>();
    ASSERT_EQ(readDataFile(*demo, keltora::test::examplesDir() / "embankment.SDW").status, 0);
    *b.model = *demo;
    b.undo.markSaved(0);

    std::vector<std::string> states{text(*b.model)};
    // Two points added with the mouse, far from the section, and a line between them.
    b.enter(kModePointAdd);
    b.host.answers = {true, true};
    b.left(-1123.25, 77.5);
    states.push_back(text(*b.model));
    b.left(-1140, 60);
    states.push_back(text(*b.model));
    b.enter(kModeLineAddFirst);
    b.left(-1123.25, 77.5);
    b.left(-1140, 60);
    states.push_back(text(*b.model));
    b.right();
    // A confirmed dialog (the conditions).
    edit(b, "計算条件", ChangeEffect::Results, [](SlopeModel& m) {
        m.conditions.seismicCoefficient = 0.15;
        m.title = "地震時";
    });
    states.push_back(text(*b.model));
    // A figure placement.
    b.enter(kModeTitle);
    b.left(1, 2);
    states.push_back(text(*b.model));
    // A terrain import replacing points and lines.
    edit(b, "地形の読み込み", ChangeEffect::Results, [](SlopeModel& m) {
        for (auto& p : m.points)
            p = TerrainPoint{};
        for (auto& l : m.lines)
            l = TerrainLine{};
        m.pointCount = m.lineCount = 0;
        addPoint(m, 0, 0);
        addPoint(m, 5, 5);
        addLine(m, kBoundaryLine, 0, 1);
    });
    states.push_back(text(*b.model));
    ASSERT_EQ(b.undo.size(), states.size() - 1);
    EXPECT_EQ(b.undo.undoText(), "地形の読み込み");

    // Undo everything, checking each state on the way, then redo it all.
    for (size_t i = states.size() - 1; i-- > 0;) {
        b.undo.undo(*b.model);
        EXPECT_EQ(text(*b.model), states[i]) << "undo to state " << i;
    }
    EXPECT_FALSE(b.undo.canUndo());
    EXPECT_EQ(b.model->modified, 0); // back at the saved state
    for (size_t i = 1; i < states.size(); ++i) {
        b.undo.redo(*b.model);
        EXPECT_EQ(text(*b.model), states[i]) << "redo to state " << i;
        EXPECT_EQ(b.model->modified, 1);
    }
    EXPECT_FALSE(b.undo.canRedo());
}

TEST(UndoStack, SavedPositionResultsAndDocumentState)
{
    EditBench b;
    b.undo.markSaved(-1); // a new, untouched document
    edit(b, "a", ChangeEffect::Results, [](SlopeModel& m) { addPoint(m, 1, 1); });
    edit(b, "b", ChangeEffect::Figure, [](SlopeModel& m) { m.draw.titlePos = {3, 3}; });
    EXPECT_EQ(b.model->modified, 1);
    b.undo.markSaved(0); // saved here
    b.model->modified = 0;
    b.model->dataName = "saved";
    b.model->calcState = 1; // a calculation after the save
    b.model->display.showGrid = 0;

    // Undoing a figure change keeps the results, undoing a terrain change drops them.
    EXPECT_EQ(b.undo.undo(*b.model), ChangeEffect::Figure);
    EXPECT_EQ(b.model->modified, 1);
    EXPECT_EQ(b.model->calcState, 1);
    EXPECT_EQ(b.undo.undo(*b.model), ChangeEffect::Results);
    EXPECT_EQ(b.model->calcState, 0);
    EXPECT_EQ(b.model->pointCount, 0);
    EXPECT_EQ(b.model->modified, 1); // the saved file has the point
    // The file name and the display switches are not part of the steps.
    EXPECT_EQ(b.model->dataName, "saved");
    EXPECT_EQ(b.model->display.showGrid, 0);
    b.undo.redo(*b.model);
    b.undo.redo(*b.model);
    EXPECT_EQ(b.model->modified, 0); // back at the saved position

    // A new change after undoing drops the redo steps; the saved position is gone then.
    b.undo.undo(*b.model);
    edit(b, "c", ChangeEffect::Results, [](SlopeModel& m) { addPoint(m, 9, 9); });
    EXPECT_FALSE(b.undo.canRedo());
    b.undo.undo(*b.model);
    EXPECT_EQ(b.model->modified, 1);
    b.undo.undo(*b.model);
    b.undo.undo(*b.model); // nothing left: no effect
    EXPECT_EQ(b.model->modified, 1);
}

TEST(UndoStack, KeepsAtLeastAHundredSteps)
{
    EditBench b;
    for (int i = 0; i < 150; ++i)
        edit(b, "p", ChangeEffect::Results, [i](SlopeModel& m) { addPoint(m, i, 0); });
    int undone = 0;
    while (b.undo.canUndo()) {
        b.undo.undo(*b.model);
        ++undone;
    }
    EXPECT_GE(undone, 100);
    EXPECT_EQ(b.model->pointCount, 150 - undone);
}
