// Shared pieces of the dialog tests: a scripted dialog host and a document fixture.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QString>
#include <QTest>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "analysis/results.h"
#include "test_support.h"
#include "ui/dialog_host.h"

namespace keltora::test {

// Records what the dialogs asked of their window and answers file dialogs from a queue.
class FakeDialogHost : public ui::DialogHost {
  public:
    std::map<int, QSize> sizes;
    std::vector<Message> told;
    std::deque<QString> files;
    std::vector<int> redraws;
    int fits = 0;
    QString directory;
    std::function<void(SlopeModel&)> preview;

    QSize windowSize(int entry) const override
    {
        auto it = sizes.find(entry);
        return it == sizes.end() ? QSize(400, 400) : it->second;
    }
    void rememberWindowSize(int entry, QSize size) override { sizes[entry] = size; }
    void tell(const Message& m) override { told.push_back(m); }
    QString openFileName(const QString&, const QString&) override
    {
        if (files.empty()) return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
    QString dataDirectory() const override { return directory; }
    void setDataDirectory(const QString& d) override { directory = d; }
    void redraw(int variant) override { redraws.push_back(variant); }
    void fitAll() override { ++fits; }
    void setDrawPreview(std::function<void(SlopeModel&)> p) override { preview = std::move(p); }
};

// The application of the GUI tests (offscreen).
QApplication& dialogApp();

// The document as the window's document object treats a dialog's change: Model marks it
// modified (the rules set calcState), results drop when calcState is no longer 1.
class FakeDocument : public ui::DialogDocument {
  public:
    FakeDocument() : model_(std::make_unique<SlopeModel>()) { resetModel(*model_); }
    const SlopeModel& model() const override { return *model_; }
    bool edit(const QString& undoText, ui::DialogChange kind,
              const std::function<bool(SlopeModel&)>& change) override;
    void replaceModel(const QString& undoText, SlopeModel model) override;
    const CalculationResults* validResults() const override
    {
        return model_->calcState == kResultsValid ? results_.get() : nullptr;
    }
    void setResults(std::shared_ptr<CalculationResults> results) override;
    // Set-up of a test: writes the model without flags.
    void adjust(const std::function<bool(SlopeModel&)>& change) { change(*model_); }

    std::vector<QString> undoSteps;
    int resultSets = 0;

  private:
    void afterChange();
    std::unique_ptr<SlopeModel> model_;
    std::shared_ptr<CalculationResults> results_;
};

// A document with a small section: four points on a square, three boundary lines, a
// block; loaded (modified 0) and with valid results (calcState 1).
struct DialogFixture {
    TempDir start;
    FakeDialogHost host;
    std::unique_ptr<FakeDocument> document;

    DialogFixture();
    const SlopeModel& model() const { return document->model(); }
    // Marks the model as loaded with valid results again.
    void markLoaded();
};

// Replaces the text of an edit box as the user would: select all, type, leave the box.
void typeInto(QWidget* dialog, const char* objectName, const QString& text);

// Finds a child by objectName or fails the test.
template <typename W> W* child(QWidget* parent, const char* objectName)
{
    W* w = parent->findChild<W*>(QString::fromLatin1(objectName));
    if (!w) ADD_FAILURE() << "no control " << objectName;
    return w;
}

} // namespace keltora::test
