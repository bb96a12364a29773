// Shared pieces of the dialog tests.
#include "ui/dialog_test_support.h"

#include <gtest/gtest.h>

#include "ui/ui_test_support.h"

namespace keltora::test {

QApplication& dialogApp()
{
    return guiApp();
}

bool FakeDocument::edit(const QString& undoText, ui::DialogChange kind,
                        const std::function<bool(SlopeModel&)>& change)
{
    if (!change(*model_)) return false;
    if (kind == ui::DialogChange::Model) markChanged(*model_, false);
    undoSteps.push_back(undoText);
    afterChange();
    return true;
}

void FakeDocument::replaceModel(const QString& undoText, SlopeModel model)
{
    *model_ = std::move(model);
    markChanged(*model_, true);
    undoSteps.push_back(undoText);
    afterChange();
}

void FakeDocument::setResults(std::shared_ptr<CalculationResults> results)
{
    model_->calcState = results ? results->validFlag : kResultsNone;
    results_ = std::move(results);
    ++resultSets;
}

void FakeDocument::afterChange()
{
    if (model_->calcState != kResultsValid) results_.reset();
}

DialogFixture::DialogFixture()
{
    dialogApp();
    document = std::make_unique<FakeDocument>();
    document->adjust([](SlopeModel& m) {
        resetModel(m);
        addPoint(m, 0, 0);
        addPoint(m, 10, 0);
        addPoint(m, 10, 10);
        addPoint(m, 0, 10);
        addLine(m, kBoundaryLine, 0, 1);
        addLine(m, kBoundaryLine, 1, 2);
        addLine(m, kBoundaryLine, 2, 3);
        SoilBlock b;
        b.seed = {5, 5};
        b.unitWeight = 18;
        addBlock(m, b);
        return true;
    });
    markLoaded();
}

void DialogFixture::markLoaded()
{
    document->adjust([](SlopeModel& m) {
        m.modified = 0;
        m.calcState = 1;
        return true;
    });
}

void typeInto(QWidget* dialog, const char* objectName, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, objectName);
    if (!edit) return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        QTest::keyClicks(edit, text);
    else // typed through an input method: one key event carrying the text
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
    emit edit->editingFinished(); // leaving the box
}

} // namespace keltora::test
